// The registry port: string values under keys of two roots. On Linux the real
// store is one REGEDIT4-style text file per root, written atomically.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Environment.h"
#include "HiveRegistry.h"
#include "Process.h"
#include "RegistryHive.h"
#include "RegistryKeys.h"

namespace gdl {

// Reads its file at every call and rewrites it atomically at every change, so
// that the editor and the player running side by side see each other's values.
class FileRegistry : public HiveRegistry {
public:
    FileRegistry(std::string machinePath, std::string userPath);
    // $GDLKIT_MACHINE_REG or $XDG_CONFIG_HOME/gdlkit/machine.reg, and
    // $XDG_CONFIG_HOME/gdlkit/user.reg ($XDG_CONFIG_HOME defaults to ~/.config).
    static FileRegistry FromEnvironment();

    const std::string& PathOf(RegRoot root) const {
        return root == RegRoot::LocalMachine ? machinePath_ : userPath_;
    }

protected:
    using HiveRegistry::LoadHive;
    RegistryHive LoadHive(RegRoot root, LoadState& state) const override;
    bool StoreHive(RegRoot root, const RegistryHive& hive) override;
    // Under the folder's lock, so the editor and the player do not lose each
    // other's changes between read and write.
    bool Locked(RegRoot root, const std::function<bool()>& change) override;

private:
    std::string machinePath_;
    std::string userPath_;
};

// The installer's job: when the machine root has no install folder and the
// program's folder holds the level tool ("ld.exe" and "ld.pif"), the parent of
// that folder is recorded as the install folder. Returns whether it wrote.
bool SeedInstallFolder(Registry& registry, const std::string& programFolder);

// ProgramFolder(), the folder of the running program, is in Process.h.

}  // namespace gdl
