#include "IniFile.h"

#include <filesystem>

#include "FileUtil.h"
#include "TextUtil.h"

namespace gdl {

namespace {

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string WithoutLineBreaks(std::string_view s) {
    std::string r(s);
    for (char& c : r) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return r;
}

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The reader trims a value and takes off one pair of quotes; a value that
// either would change is written in double quotes, so it reads back as given.
std::string AsWritten(std::string value) {
    if (Unquote(TrimBlanks(value)) == value) return value;
    return "\"" + value + "\"";
}

}  // namespace

IniFile::LineInfo IniFile::ParseLine(std::string_view line) {
    LineInfo info;
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first < line.size() && line[first] == '[') {
        auto close = line.rfind(']');
        if (close != std::string_view::npos && close > first) {
            info.kind = LineKind::Section;
            info.name = TrimBlanks(line.substr(first + 1, close - first - 1));
            return info;
        }
    }
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return info;
    info.kind = LineKind::Key;
    info.name = TrimBlanks(line.substr(0, eq));
    info.valueStart = eq + 1;
    return info;
}

void IniFile::Reindex() {
    info_.clear();
    sections_.clear();
    info_.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        info_.push_back(ParseLine(lines_[i]));
        if (info_.back().kind == LineKind::Section) {
            if (!sections_.empty()) sections_.back().end = i;
            sections_.push_back({info_.back().name, i, lines_.size()});
        }
    }
}

IniFile IniFile::FromBytes(std::string_view bytes) {
    IniFile ini;
    ini.lines_ = SplitLines(bytes);
    ini.Reindex();
    return ini;
}

IniFile IniFile::Load(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    return bytes ? FromBytes(*bytes) : IniFile();
}

const IniFile::SectionSpan* IniFile::FindSection(std::string_view name) const {
    std::string wanted = TrimBlanks(name);
    for (const auto& s : sections_) {
        if (EqualsNoCase(s.name, wanted)) return &s;
    }
    return nullptr;
}

std::optional<std::size_t> IniFile::FindKey(const SectionSpan& section,
                                            std::string_view key) const {
    std::string wanted = TrimBlanks(key);
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (info_[i].kind == LineKind::Key && EqualsNoCase(info_[i].name, wanted)) return i;
    }
    return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const SectionSpan* s = FindSection(section);
    if (!s) return std::string(def);
    auto line = FindKey(*s, key);
    if (!line) return std::string(def);
    std::string_view raw = lines_[*line];
    std::string value = Unquote(TrimBlanks(raw.substr(info_[*line].valueStart)));
    if (value.size() > kIniMaxValue) value.resize(kIniMaxValue);
    return value;
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

void IniFile::InsertLine(std::size_t at, std::string line) {
    info_.insert(info_.begin() + static_cast<std::ptrdiff_t>(at), ParseLine(line));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    for (auto& s : sections_) {
        if (s.header >= at) {
            ++s.header;
            ++s.end;
        } else if (s.end >= at) {
            ++s.end;
        }
    }
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string sectionName = TrimBlanks(section);
    std::string keyName = TrimBlanks(key);
    if (HasLineBreak(sectionName) || HasLineBreak(keyName) || keyName.empty() ||
        keyName.find('=') != std::string::npos) {
        return false;
    }
    // Its line would read back as a section header as soon as the value (or a
    // later one) holds a "]".
    if (keyName.front() == '[') return false;
    std::string cleanValue = AsWritten(WithoutLineBreaks(value));

    const SectionSpan* s = FindSection(sectionName);
    if (!s) {
        std::size_t header = lines_.size();
        lines_.push_back("[" + sectionName + "]");
        info_.push_back(ParseLine(lines_.back()));
        lines_.push_back(keyName + "=" + cleanValue);
        info_.push_back(ParseLine(lines_.back()));
        sections_.push_back({sectionName, header, lines_.size()});
        return true;
    }
    if (auto line = FindKey(*s, keyName)) {
        lines_[*line].resize(info_[*line].valueStart);
        lines_[*line] += cleanValue;
        return true;
    }
    // After the last non-empty line, so blank separator lines stay between sections.
    std::size_t at = s->header + 1;
    for (std::size_t i = s->end; i > s->header + 1; --i) {
        if (!TrimBlanks(lines_[i - 1]).empty()) {
            at = i;
            break;
        }
    }
    InsertLine(at, keyName + "=" + cleanValue);
    return true;
}

std::string IniFile::ToBytes() const {
    return JoinLinesCrLf(lines_);
}

bool IniFile::Save(const std::string& path) const {
    return WriteFileAtomic(path, ToBytes());
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, const std::string& path) {
    return IniFile::Load(path).ReadString(section, key, def);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
    std::error_code ec;
    IniFile ini;
    if (std::filesystem::exists(path, ec)) {
        // Never replace a file we could not read with one holding only this key.
        auto bytes = ReadFileBytes(path);
        if (!bytes) return false;
        ini = IniFile::FromBytes(*bytes);
    } else if (ec) {
        return false;
    }
    return ini.WriteString(section, key, value) && ini.Save(path);
}

}  // namespace gdl
