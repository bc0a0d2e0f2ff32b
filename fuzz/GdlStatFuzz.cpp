// The statistics tool's input, a level list: read it and, when it is well
// formed, summarise it.
#include "FuzzSupport.h"
#include "LevelListStats.h"
#include "TextUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto list = gdl::ReadLevelList(gdl::SplitLines(gdlfuzz::Bytes(data, size)));
    if (!list.ok()) {
        FUZZ_CHECK(list.entries.empty());
        return 0;
    }
    const auto summary = gdl::SummarizeLevelList(list.entries);
    FUZZ_CHECK(summary.size() > gdl::kSummaryHeadingLines);
    return 0;
}
