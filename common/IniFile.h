// INI files with the behaviour of the Windows profile functions, over 8-bit
// bytes. Kept as its lines so that rewriting a file changes only what is set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gdl {

inline constexpr std::size_t kIniMaxValue = 2047;

class IniFile {
public:
    IniFile() = default;
    static IniFile FromBytes(std::string_view bytes);
    // A missing or unreadable file gives an empty IniFile.
    static IniFile Load(const std::string& path);

    // Value of key in section (first of duplicates), trimmed, unquoted, cut
    // to 2047 characters; def when the section or key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def = {}) const;
    bool HasSection(std::string_view section) const;

    // Sets an existing key in place, appends a new key after the last line of
    // its section, or a new section at the end of the file. Line breaks in the
    // value become blanks; a value with blanks at an end or in quotes is
    // written in double quotes, so that it reads back as given. False, with nothing changed, for
    // names the file cannot hold (line breaks; a key that is empty, holds "=" or begins with
    // "[", so that its line could read back as a section header).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Every line ends with CR LF.
    std::string ToBytes() const;
    // Written atomically; the folder must exist.
    bool Save(const std::string& path) const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    enum class LineKind : std::uint8_t { Other, Section, Key };
    struct LineInfo {
        LineKind kind = LineKind::Other;
        std::string name;            // trimmed section or key name
        std::size_t valueStart = 0;  // keys: just after the first "="
    };
    // Lines header + 1 up to end - 1 belong to the section.
    struct SectionSpan {
        std::string name;
        std::size_t header = 0;
        std::size_t end = 0;
    };

    static LineInfo ParseLine(std::string_view line);
    void Reindex();
    const SectionSpan* FindSection(std::string_view name) const;
    std::optional<std::size_t> FindKey(const SectionSpan& section, std::string_view key) const;
    void InsertLine(std::size_t at, std::string line);

    std::vector<std::string> lines_;
    std::vector<LineInfo> info_;
    std::vector<SectionSpan> sections_;  // in file order; duplicates kept
};

// One-shot calls over a file, as the Windows profile functions are used.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path);
// Creates the file when missing.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

}  // namespace gdl
