#include "HiveRegistry.h"

#include "TextUtil.h"

namespace gdl {

bool IsStorableValueName(std::string_view name) {
    return name.find('\0') == std::string_view::npos;
}

namespace {
bool IsKeyOrParent(std::string_view parent, std::string_view key) {
    if (key.size() < parent.size()) return false;
    if (!EqualsNoCase(key.substr(0, parent.size()), parent)) return false;
    return key.size() == parent.size() || key[parent.size()] == '\\';
}
}  // namespace

// Windows keys exist as soon as any key below them does.
bool HiveHasKey(const RegistryHive& hive, std::string_view key) {
    std::string k = NormalizeRegistryKey(key);
    if (k.empty()) return true;
    for (const auto& stored : hive.keys) {
        if (IsKeyOrParent(k, stored.name)) return true;
    }
    return false;
}

std::optional<std::string> HiveRead(const RegistryHive& hive, std::string_view key,
                                    std::string_view name) {
    const RegistryHive::Key* k = hive.Find(key);
    if (!k) return std::nullopt;
    const RegistryHive::Value* v = k->FindValue(name);
    if (!v) return std::nullopt;
    return v->data;
}

// Returns whether the hive changed; the first write of a name fixes its place
// in the enumeration order and the spelling of its name.
bool HiveWrite(RegistryHive& hive, std::string_view key, std::string_view name,
               std::string_view data) {
    bool existed = hive.Find(key) != nullptr;
    RegistryHive::Key& k = hive.Create(key);
    if (RegistryHive::Value* v = k.FindValue(name)) {
        if (v->data == data) return !existed;
        v->data = std::string(data);
        return true;
    }
    k.values.push_back({std::string(name), std::string(data)});
    return true;
}

bool HiveDelete(RegistryHive& hive, std::string_view key, std::string_view name) {
    RegistryHive::Key* k = hive.Find(key);
    return k && k->EraseValue(name);
}

std::vector<std::string> HiveNames(const RegistryHive& hive, std::string_view key) {
    std::vector<std::string> names;
    if (const RegistryHive::Key* k = hive.Find(key)) {
        for (const auto& v : k->values) names.push_back(v.name);
    }
    return names;
}

RegistryHive HiveRegistry::LoadHive(RegRoot root) const {
    LoadState state;
    return LoadHive(root, state);
}

template <typename Change>
bool HiveRegistry::Modify(RegRoot root, Change change) {
    return Locked(root, [&] {
        LoadState state;
        RegistryHive hive = LoadHive(root, state);
        if (state == LoadState::Unusable) return false;
        bool changed = false;
        if (!change(hive, changed)) return false;
        return !changed || StoreHive(root, hive);
    });
}

bool HiveRegistry::KeyExists(RegRoot root, std::string_view key) const {
    return HiveHasKey(LoadHive(root), key);
}

bool HiveRegistry::CreateKey(RegRoot root, std::string_view key) {
    std::string k = NormalizeRegistryKey(key);
    if (k.empty()) return true;
    if (!IsStorableRegistryKey(k)) return false;
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        if (!hive.Find(k)) {
            hive.Create(k);
            changed = true;
        }
        return true;
    });
}

std::optional<std::string> HiveRegistry::ReadValue(RegRoot root, std::string_view key,
                                                   std::string_view name) const {
    return HiveRead(LoadHive(root), key, name);
}

bool HiveRegistry::WriteValue(RegRoot root, std::string_view key, std::string_view name,
                              std::string_view value) {
    if (!IsStorableRegistryKey(NormalizeRegistryKey(key)) || !IsStorableValueName(name))
        return false;
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        changed = HiveWrite(hive, key, name, value);
        return true;
    });
}

bool HiveRegistry::DeleteValue(RegRoot root, std::string_view key, std::string_view name) {
    return Modify(root, [&](RegistryHive& hive, bool& changed) {
        changed = HiveDelete(hive, key, name);
        return changed;
    });
}

std::vector<std::string> HiveRegistry::ValueNames(RegRoot root, std::string_view key) const {
    return HiveNames(LoadHive(root), key);
}

}  // namespace gdl
