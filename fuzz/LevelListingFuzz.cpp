// The level tool's listing (".te1") and the level information cache (".te2")
// made from it: every level the listing names reads back from the cache with
// the texts the listing gave it (the last of equal names wins).
#include <map>

#include "FuzzSupport.h"
#include "LevelInfo.h"
#include "TextUtil.h"

namespace {

constexpr char kSource[] = "fuzz";

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = gdlfuzz::Bytes(data, size);
    const std::string& folder = gdlfuzz::ScratchFolder();
    gdl::DeleteLevelInfoFiles(folder, kSource);
    gdlfuzz::WriteScratch(std::string(kSource) + ".te1", bytes);

    std::vector<std::string> names;
    gdl::RefreshLevelInfoCache(folder, kSource, nullptr, &names);
    const auto listed = gdl::ParseLevelListing(gdl::SplitLines(bytes));
    FUZZ_CHECK(names.size() == listed.size());

    std::map<std::string, gdl::LevelInfo> last;  // by upper-case name
    for (const auto& level : listed) {
        if (HasLineBreak(level.key)) continue;
        last[gdl::ToUpperAscii(level.key)] = level.info;
    }
    for (const auto& level : listed) {
        const auto it = last.find(gdl::ToUpperAscii(level.key));
        if (it == last.end()) continue;
        const auto read = gdl::ReadLevelInfo(folder, kSource, level.key, nullptr);
        FUZZ_CHECK(read.found);
        FUZZ_CHECK(read.info.Name == it->second.Name);
        FUZZ_CHECK(read.info.Size == it->second.Size);
        FUZZ_CHECK(read.info.Quota == it->second.Quota);
        FUZZ_CHECK(read.info.Time == it->second.Time);
    }
    return 0;
}
