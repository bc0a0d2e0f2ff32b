// The registry port: string values under keys of two roots. On Linux the real
// store is one REGEDIT4-style text file per root, written atomically.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Environment.h"
#include "Process.h"
#include "RegistryHive.h"

namespace gdl {

enum class RegRoot { LocalMachine, CurrentUser };

inline constexpr char kRegKeyRoot[] = "Software\\Vandrel\\GDLKIT";
inline constexpr char kRegKeyGlobal[] = "Software\\Vandrel\\GDLKIT\\global";
inline constexpr char kRegKeyEdit[] = "Software\\Vandrel\\GDLKIT\\Edit";
inline constexpr char kRegKeyAutomation[] = "Software\\Vandrel\\GDLKIT\\Edit\\Options\\Automation";

// Key names match without regard to case; value names too. A value name may
// hold any character but NUL ("" is the key's default value).
class Registry {
public:
    virtual ~Registry() = default;
    virtual bool KeyExists(RegRoot root, std::string_view key) const = 0;
    virtual bool CreateKey(RegRoot root, std::string_view key) = 0;
    virtual std::optional<std::string> ReadValue(RegRoot root, std::string_view key,
                                                 std::string_view name) const = 0;
    // Creates the key when missing.
    virtual bool WriteValue(RegRoot root, std::string_view key, std::string_view name,
                            std::string_view value) = 0;
    virtual bool DeleteValue(RegRoot root, std::string_view key, std::string_view name) = 0;
    // Value names in the order they were first written.
    virtual std::vector<std::string> ValueNames(RegRoot root, std::string_view key) const = 0;
};

// Reads its file at every call and rewrites it atomically at every change, so
// that the editor and the player running side by side see each other's values.
class FileRegistry : public Registry {
public:
    FileRegistry(std::string machinePath, std::string userPath);
    // $GDLKIT_MACHINE_REG or $XDG_CONFIG_HOME/gdlkit/machine.reg, and
    // $XDG_CONFIG_HOME/gdlkit/user.reg ($XDG_CONFIG_HOME defaults to ~/.config).
    static FileRegistry FromEnvironment();

    bool KeyExists(RegRoot root, std::string_view key) const override;
    bool CreateKey(RegRoot root, std::string_view key) override;
    std::optional<std::string> ReadValue(RegRoot root, std::string_view key,
                                         std::string_view name) const override;
    bool WriteValue(RegRoot root, std::string_view key, std::string_view name,
                    std::string_view value) override;
    bool DeleteValue(RegRoot root, std::string_view key, std::string_view name) override;
    std::vector<std::string> ValueNames(RegRoot root, std::string_view key) const override;

    const std::string& PathOf(RegRoot root) const {
        return root == RegRoot::LocalMachine ? machinePath_ : userPath_;
    }

private:
    enum class LoadState { Missing, Ok, Unusable };
    // Missing and unusable (corrupt or unreadable) files both read as empty.
    RegistryHive LoadHive(RegRoot root) const;
    RegistryHive LoadHive(RegRoot root, LoadState& state) const;
    bool StoreHive(RegRoot root, const RegistryHive& hive);
    // Read, change and write back under the folder's lock. A file that exists
    // but cannot be understood is never replaced: the change is refused.
    template <typename Change>
    bool Modify(RegRoot root, Change change);
    std::string machinePath_;
    std::string userPath_;
};

// The installer's job: when the machine root has no install folder and the
// program's folder holds the level tool ("ld.exe" and "ld.pif"), the parent of
// that folder is recorded as the install folder. Returns whether it wrote.
bool SeedInstallFolder(Registry& registry, const std::string& programFolder);

// ProgramFolder(), the folder of the running program, is in Process.h.

}  // namespace gdl
