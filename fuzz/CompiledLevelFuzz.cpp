// The compiled level header (both programs), the level information taken
// from it, and the level tool's reading of a whole compiled level.
#include <algorithm>

#include "CompiledLevel.h"
#include "FuzzSupport.h"
#include "LevelCompile.h"
#include "LevelInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = gdlfuzz::Bytes(data, size);
    const auto header = gdl::ParseCompiledLevelHeader(bytes);
    const auto info = gdl::LevelInfoFromCompiled(bytes.substr(0, gdl::kCompiledReadSize));
    FUZZ_CHECK(info.found == header.has_value());
    if (header) {
        // The name ends at its first code 0; what follows it has no meaning.
        const std::string written = gdl::SerializeCompiledLevelHeader(*header);
        const auto again = gdl::ParseCompiledLevelHeader(written);
        FUZZ_CHECK(again && gdl::SerializeCompiledLevelHeader(*again) == written);
        FUZZ_CHECK(written.substr(0, 9) == bytes.substr(0, 9));
        FUZZ_CHECK(written.substr(26) == bytes.substr(26, 5));
        (void)gdl::FormatLevelInfoLine(info.info);
    }

    std::string problem;
    const auto level = gdl::DecodeCompiledLevel(bytes, &problem);
    if (level) {
        FUZZ_CHECK(header.has_value());
        FUZZ_CHECK(level->tiles.size() ==
                   static_cast<std::size_t>(level->header.width) * level->header.height);
        // The run-length coding holds 5-bit tile codes; a stored body may hold any byte.
        if (std::all_of(level->tiles.begin(), level->tiles.end(), [](auto t) { return t < 32; })) {
            const auto again =
                gdl::DecodeRunLength(gdl::EncodeRunLength(level->tiles), level->tiles.size());
            FUZZ_CHECK(again && *again == level->tiles);
        }
    } else {
        FUZZ_CHECK(!problem.empty());
    }
    return 0;
}
