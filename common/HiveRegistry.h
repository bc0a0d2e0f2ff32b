// The registry's operations over one hive per root, whatever keeps the hives:
// files on a desktop (FileRegistry), a browser's storage for the web player.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RegistryHive.h"

namespace gdl {

enum class RegRoot { LocalMachine, CurrentUser };

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

// Reads the root's hive at every call and stores it at every change, so that
// two programs (or two tabs) side by side see each other's values.
class HiveRegistry : public Registry {
public:
    bool KeyExists(RegRoot root, std::string_view key) const override;
    bool CreateKey(RegRoot root, std::string_view key) override;
    std::optional<std::string> ReadValue(RegRoot root, std::string_view key,
                                         std::string_view name) const override;
    bool WriteValue(RegRoot root, std::string_view key, std::string_view name,
                    std::string_view value) override;
    bool DeleteValue(RegRoot root, std::string_view key, std::string_view name) override;
    std::vector<std::string> ValueNames(RegRoot root, std::string_view key) const override;

protected:
    enum class LoadState { Missing, Ok, Unusable };
    // Missing and unusable (corrupt or unreadable) stores both read as empty.
    virtual RegistryHive LoadHive(RegRoot root, LoadState& state) const = 0;
    virtual bool StoreHive(RegRoot root, const RegistryHive& hive) = 0;
    // Runs a read-change-write of the root with the store held against others.
    virtual bool Locked(RegRoot, const std::function<bool()>& change) { return change(); }
    RegistryHive LoadHive(RegRoot root) const;

private:
    // A store that exists but cannot be understood is never replaced: the
    // change is refused.
    template <typename Change>
    bool Modify(RegRoot root, Change change);
};

}  // namespace gdl
