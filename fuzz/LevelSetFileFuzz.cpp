// Level set file readers shared by the editor's build and the tools: the
// index and the whole set. A set that reads is written again from what was
// read, and that file reads back the same.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "LevelSetFile.h"

namespace {

bool SameHeader(const gdl::LevelSetHeader& a, const gdl::LevelSetHeader& b) {
    return a.name == b.name && a.year == b.year && a.notice == b.notice && a.wizard == b.wizard &&
           a.comments == b.comments && a.hiddenCount == b.hiddenCount &&
           a.visibleCount == b.visibleCount;
}

bool SameEntry(const gdl::LevelTableEntry& a, const gdl::LevelTableEntry& b) {
    return a.present == b.present && a.position == b.position && a.password == b.password &&
           a.designer == b.designer && a.music == b.music && a.size == b.size;
}

void CheckRewrite(const gdl::LevelSetContents& set) {
    std::vector<gdl::LevelSetLevel> levels;
    for (std::size_t i = 0; i < set.levels.size(); ++i)
        levels.push_back({set.index.table[i], set.levels[i].first.hint, set.levels[i].second});
    const std::string bytes = gdl::SerializeLevelSet(set.index.header, levels);
    std::string problem;
    const auto again = gdl::ParseLevelSet(bytes, &problem);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->hasEndRecord);
    FUZZ_CHECK(SameHeader(again->index.header, set.index.header));
    FUZZ_CHECK(again->levels.size() == set.levels.size());
    for (std::size_t i = 0; i < set.levels.size(); ++i) {
        FUZZ_CHECK(SameEntry(again->index.table[i], set.index.table[i]));
        FUZZ_CHECK(again->levels[i].first.hint == set.levels[i].first.hint);
        FUZZ_CHECK(again->levels[i].second == set.levels[i].second);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = gdlfuzz::Bytes(data, size);

    // The difference coding gives a text back up to its first character that
    // codes to a zero byte (one at or above 0x82 can), where the stored text ends.
    {
        FuzzedDataProvider in(data, size);
        const std::string text = in.ConsumeRandomLengthString(80);
        const std::string coded = gdl::EncodeSetText(text);
        const std::string kept = text.substr(0, coded.find('\0'));
        FUZZ_CHECK(gdl::DecodeSetText(coded, text.size()) == kept);
    }

    std::string problem;
    (void)gdl::ParseHeader(bytes);
    (void)gdl::ParseTableEntry(bytes);
    (void)gdl::ParseRecord(bytes);
    const auto index = gdl::ParseLevelSetIndex(bytes, &problem);
    if (index) FUZZ_CHECK(index->table.size() == gdl::kTableEntries);
    const auto set = gdl::ParseLevelSet(bytes, &problem);
    if (set) {
        FUZZ_CHECK(index.has_value());
        CheckRewrite(*set);
    }
    return 0;
}
