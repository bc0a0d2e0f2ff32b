// The level tool's ".lvs" parser and compiler: every level it accepts
// compiles into a file that reads back as that level, and its listing line
// reads back through the editor's listing parser as the level's figures.
#include "CompiledLevel.h"
#include "FuzzSupport.h"
#include "LevelCompile.h"
#include "LevelInfo.h"
#include "LevelSource.h"
#include "LynxText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = gdl::ParseLevelSource(gdlfuzz::Bytes(data, size));
    FUZZ_CHECK(parsed.HasErrors() == (parsed.errorCount > 0));
    std::vector<std::string> listing{gdl::kListingHeading, gdl::kListingRule};
    for (const auto& level : parsed.levels) {
        const auto compiled = gdl::CompileLevel(level);
        std::string problem;
        const auto decoded = gdl::DecodeCompiledLevel(compiled.bytes, &problem);
        FUZZ_CHECK(decoded.has_value());
        FUZZ_CHECK(decoded->checksumOk);
        FUZZ_CHECK(decoded->tiles == level.tiles);
        FUZZ_CHECK(decoded->header.width == level.width && decoded->header.height == level.height);
        FUZZ_CHECK(decoded->header.minutes == level.minutes &&
                   decoded->header.seconds == level.seconds);
        FUZZ_CHECK(decoded->header.quota == level.quota);
        FUZZ_CHECK(gdl::DecodeLynxText(decoded->header.nameCodes, gdl::kCompiledNameCodes) ==
                   level.longName);
        listing.push_back(gdl::ListingLine(level, compiled));
    }
    const auto listed = gdl::ParseLevelListing(listing);
    const std::size_t shown = std::min(parsed.levels.size(), gdl::kListingMaxLines - 2);
    FUZZ_CHECK(listed.size() == shown);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto& level = parsed.levels[i];
        FUZZ_CHECK(listed[i].key == level.levelName);
        FUZZ_CHECK(listed[i].info.Name == level.longName);
        FUZZ_CHECK(listed[i].info.Size == gdl::SizeText(level.width, level.height));
        FUZZ_CHECK(listed[i].info.Quota == std::to_string(level.quota));
        FUZZ_CHECK(listed[i].info.Time == gdl::TimeText(level.minutes, level.seconds));
    }
    return 0;
}
