#include "RegistryHive.h"

#include "TextUtil.h"

namespace gdl {

namespace {

constexpr char kHiveHeader[] = "REGEDIT4";
constexpr char kLineEnd[] = "\r\n";

bool HasControlCharacter(std::string_view s) {
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted string at pos; pos ends behind the closing quote.
std::optional<std::string> ParseQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size()) return std::nullopt;
        char e = line[pos];
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && pos + 2 < line.size() && HexDigit(line[pos + 1]) >= 0 &&
                   HexDigit(line[pos + 2]) >= 0) {
            out += static_cast<char>(HexDigit(line[pos + 1]) * 16 + HexDigit(line[pos + 2]));
            pos += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// One `"name"="data"` or `@="data"` line.
bool ParseValueLine(std::string_view line, RegistryHive::Key& key) {
    std::size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
        pos = 1;
    } else {
        auto n = ParseQuoted(line, pos);
        if (!n || n->find('\0') != std::string::npos) return false;
        name = std::move(*n);
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    auto data = ParseQuoted(line, pos);
    if (!data || !TrimBlanks(line.substr(pos)).empty()) return false;
    if (RegistryHive::Value* v = key.FindValue(name)) {
        v->data = std::move(*data);
    } else {
        key.values.push_back({std::move(name), std::move(*data)});
    }
    return true;
}

}  // namespace

std::string NormalizeRegistryKey(std::string_view key) {
    std::size_t b = 0;
    std::size_t e = key.size();
    while (b < e && key[b] == '\\') ++b;
    while (e > b && key[e - 1] == '\\') --e;
    return std::string(key.substr(b, e - b));
}

bool IsStorableRegistryKey(std::string_view key) {
    return !key.empty() && !HasControlCharacter(key);
}

std::optional<std::size_t> RegistryHive::Key::IndexOf(std::string_view valueName) const {
    // Values may be appended straight to the vector: index the new ones. A
    // shorter vector means values were removed: index it all again.
    if (indexed_ > values.size()) {
        index_.clear();
        indexed_ = 0;
    }
    for (; indexed_ < values.size(); ++indexed_)
        index_.emplace(ToUpperAscii(values[indexed_].name), indexed_);
    auto it = index_.find(ToUpperAscii(valueName));
    if (it == index_.end()) return std::nullopt;
    if (it->second < values.size() && EqualsNoCase(values[it->second].name, valueName))
        return it->second;
    // Changed behind the index's back: look the slow way, once, and start over.
    index_.clear();
    indexed_ = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (EqualsNoCase(values[i].name, valueName)) return i;
    return std::nullopt;
}

RegistryHive::Value* RegistryHive::Key::FindValue(std::string_view valueName) {
    auto i = IndexOf(valueName);
    return i ? &values[*i] : nullptr;
}

const RegistryHive::Value* RegistryHive::Key::FindValue(std::string_view valueName) const {
    auto i = IndexOf(valueName);
    return i ? &values[*i] : nullptr;
}

bool RegistryHive::Key::EraseValue(std::string_view valueName) {
    auto i = IndexOf(valueName);
    if (!i) return false;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(*i));
    index_.clear();
    indexed_ = 0;
    return true;
}

RegistryHive::Key* RegistryHive::Find(std::string_view key) {
    std::string k = NormalizeRegistryKey(key);
    for (auto& stored : keys) {
        if (EqualsNoCase(stored.name, k)) return &stored;
    }
    return nullptr;
}

const RegistryHive::Key* RegistryHive::Find(std::string_view key) const {
    std::string k = NormalizeRegistryKey(key);
    for (const auto& stored : keys) {
        if (EqualsNoCase(stored.name, k)) return &stored;
    }
    return nullptr;
}

RegistryHive::Key& RegistryHive::Create(std::string_view key) {
    if (Key* k = Find(key)) return *k;
    Key created;
    created.name = NormalizeRegistryKey(key);
    keys.push_back(std::move(created));
    return keys.back();
}

std::string SerializeHive(const RegistryHive& hive) {
    std::string out = std::string(kHiveHeader) + kLineEnd;
    for (const auto& key : hive.keys) {
        out += kLineEnd;
        out += "[" + key.name + "]" + kLineEnd;
        for (const auto& v : key.values) {
            if (v.name.empty()) {
                out += '@';
            } else {
                AppendQuoted(out, v.name);
            }
            out += '=';
            AppendQuoted(out, v.data);
            out += kLineEnd;
        }
    }
    return out;
}

std::optional<RegistryHive> ParseHive(std::string_view text) {
    RegistryHive hive;
    bool sawHeader = false;
    RegistryHive::Key* current = nullptr;
    for (const std::string& raw : SplitLines(text)) {
        std::string line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';') continue;
        if (!sawHeader) {
            if (line != kHiveHeader) return std::nullopt;
            sawHeader = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') return std::nullopt;
            std::string name =
                NormalizeRegistryKey(std::string_view(line).substr(1, line.size() - 2));
            if (!IsStorableRegistryKey(name)) return std::nullopt;
            current = &hive.Create(name);
        } else if (line[0] == '@' || line[0] == '"') {
            if (!current || !ParseValueLine(line, *current)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return hive;
}

}  // namespace gdl
