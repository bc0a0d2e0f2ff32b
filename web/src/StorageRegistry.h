// The registry port over a browser's key/value storage (localStorage): one
// item per root holding that root's keys and values in the registry's own
// text format, so the page keeps the same keys and values as the desktop
// player's files (options, the last set, saved codes, the list of sets).
#pragma once

#include <optional>
#include <string>

#include "HiveRegistry.h"

namespace gdl {

// The items the two roots are kept under.
inline constexpr char kStorageMachineItem[] = "GDLKIT HKEY_LOCAL_MACHINE";
inline constexpr char kStorageUserItem[] = "GDLKIT HKEY_CURRENT_USER";

class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;
    virtual std::optional<std::string> Get(const std::string& item) const = 0;
    // False when the store refused it (full, or switched off).
    virtual bool Set(const std::string& item, const std::string& value) = 0;
};

class StorageRegistry : public HiveRegistry {
public:
    explicit StorageRegistry(KeyValueStore& store) : store_(store) {}

protected:
    RegistryHive LoadHive(RegRoot root, LoadState& state) const override;
    bool StoreHive(RegRoot root, const RegistryHive& hive) override;

private:
    KeyValueStore& store_;
};

}  // namespace gdl
