// INI reader and writer: a file's lines survive being written out and read
// back, and a key the writer accepts reads back as written without changing
// any other key.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "FuzzSupport.h"
#include "IniFile.h"
#include "TextUtil.h"

namespace {

// A written value reads back as given, with its line breaks as blanks.
std::string Expected(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    if (v.size() > gdl::kIniMaxValue) v.resize(gdl::kIniMaxValue);
    return v;
}

// Every (section, key) the file holds, in line order; a section header is
// a line whose first non-blank is "[" with a "]" after it.
std::vector<std::pair<std::string, std::string>> Names(const gdl::IniFile& ini) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    bool inSection = false;
    for (const std::string& line : ini.Lines()) {
        const std::string t = gdl::TrimBlanks(line);
        const auto close = t.rfind(']');
        if (!t.empty() && t.front() == '[' && close != std::string::npos && close > 0) {
            section = gdl::TrimBlanks(t.substr(1, close - 1));
            inSection = true;
            continue;
        }
        const auto eq = line.find('=');
        if (inSection && eq != std::string::npos)
            names.emplace_back(section, gdl::TrimBlanks(line.substr(0, eq)));
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(64);
    const std::string key = in.ConsumeRandomLengthString(64);
    const std::string value = in.ConsumeRandomLengthString(256);
    const std::string file = in.ConsumeRemainingBytesAsString();

    gdl::IniFile ini = gdl::IniFile::FromBytes(file);
    const std::string bytes = ini.ToBytes();
    FUZZ_CHECK(gdl::IniFile::FromBytes(bytes).Lines() == ini.Lines());

    const auto names = Names(ini);
    std::vector<std::string> before;
    for (const auto& [s, k] : names) before.push_back(ini.ReadString(s, k, "\x01missing"));

    if (!ini.WriteString(section, key, value)) {
        FUZZ_CHECK(ini.ToBytes() == bytes);
        return 0;
    }
    const std::string want = Expected(value);
    FUZZ_CHECK(ini.ReadString(section, key, "\x01missing") == want);
    const gdl::IniFile reread = gdl::IniFile::FromBytes(ini.ToBytes());
    FUZZ_CHECK(reread.ReadString(section, key, "\x01missing") == want);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& [s, k] = names[i];
        if (gdl::EqualsNoCase(gdl::TrimBlanks(s), gdl::TrimBlanks(section)) &&
            gdl::EqualsNoCase(k, gdl::TrimBlanks(key)))
            continue;
        FUZZ_CHECK(reread.ReadString(s, k, "\x01missing") == before[i]);
    }
    return 0;
}
