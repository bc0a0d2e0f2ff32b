// The recovery journal's reader: any bytes are read or refused without a
// fault, and what it gives stays within a source's size. A journal written
// from texts cut out of the input reads back as the last of them, also with
// its tail cut anywhere (then as one of the texts written).
#include "FileUtil.h"
#include "FuzzSupport.h"
#include "LevelSource.h"
#include "RecoveryJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = gdlfuzz::Bytes(data, size);
    if (auto read = gdl::ReadJournal(input)) {
        FUZZ_CHECK(read->bytes.size() <= gdl::kMaxSourceBytes);
        FUZZ_CHECK(read->base.size() <= gdl::kMaxSourceBytes);
    }
    // Texts separated by 0xFF bytes: the base, then each state after a change.
    std::vector<std::string> texts(1);
    for (char c : input) {
        if (static_cast<unsigned char>(c) == 0xFF) {
            texts.emplace_back();
        } else {
            texts.back() += c;
        }
    }
    if (texts.size() < 2) return 0;
    static const std::string folder = gdlfuzz::ScratchFolder() + "journals/";
    gdl::RecoveryJournal journal(folder);
    journal.Start(folder + "fuzz.lvs", texts[0]);
    for (std::size_t i = 1; i < texts.size(); ++i)
        FUZZ_CHECK(journal.Record(texts[i], static_cast<std::int64_t>(i)).Ok());
    if (journal.File().empty()) return 0;  // no change at all
    auto bytes = gdl::ReadFileBytes(journal.File());
    FUZZ_CHECK(bytes.has_value());
    auto read = gdl::ReadJournal(*bytes);
    FUZZ_CHECK(read.Ok() && !read->cutShort);
    FUZZ_CHECK(read->base == texts[0] && read->bytes == texts.back());
    const std::size_t cut = size % (bytes->size() + 1);
    if (auto part = gdl::ReadJournal(std::string_view(*bytes).substr(0, cut))) {
        bool known = false;
        for (const auto& t : texts) known = known || part->bytes == t;
        FUZZ_CHECK(known);
    }
    return 0;
}
