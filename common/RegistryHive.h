// The registry's text format: one root's keys and values as REGEDIT4-style
// text and back. The file store around it is FileRegistry (Registry.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace gdl {

// One root's content: keys (as first written) with their values in order.
struct RegistryHive {
    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        std::string name;
        std::vector<Value> values;
        // The value of that name, regardless of case; nullptr when none.
        Value* FindValue(std::string_view valueName);
        const Value* FindValue(std::string_view valueName) const;
        // Values are added by appending to `values` and removed here; a name is
        // never changed in place.
        // Removes the value of that name; whether there was one.
        bool EraseValue(std::string_view valueName);

    private:
        std::optional<std::size_t> IndexOf(std::string_view valueName) const;
        // Upper-cased name -> position of its first value, for the values
        // indexed so far: a lookup stays constant however many values a
        // key holds (the player's list of sets and saved codes grow).
        mutable std::unordered_map<std::string, std::size_t> index_;
        mutable std::size_t indexed_ = 0;
    };
    std::vector<Key> keys;

    Key* Find(std::string_view key);
    const Key* Find(std::string_view key) const;
    Key& Create(std::string_view key);
};

// REGEDIT4-style text of a hive and back; names and data escape "\", "\"" and
// control characters so that any value name survives.
std::string SerializeHive(const RegistryHive& hive);
std::optional<RegistryHive> ParseHive(std::string_view text);

// "\\Software\\X\\" and "Software\\X" name the same key: the form stored.
std::string NormalizeRegistryKey(std::string_view key);
// Key names end up alone on a "[...]" line, so they cannot hold line breaks.
bool IsStorableRegistryKey(std::string_view key);
// Value names may hold any character but NUL.
bool IsStorableValueName(std::string_view name);

// The registry's operations on one hive, shared by every Registry over hives.
bool HiveHasKey(const RegistryHive& hive, std::string_view key);
std::optional<std::string> HiveRead(const RegistryHive& hive, std::string_view key,
                                    std::string_view name);
bool HiveWrite(RegistryHive& hive, std::string_view key, std::string_view name,
               std::string_view value);
bool HiveDelete(RegistryHive& hive, std::string_view key, std::string_view name);
std::vector<std::string> HiveNames(const RegistryHive& hive, std::string_view key);

}  // namespace gdl
