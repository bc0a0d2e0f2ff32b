// Header and level table of a level set: what the build writes first and what
// the player and the set chooser read on every start.
#include <benchmark/benchmark.h>

#include "LevelSetFile.h"

namespace {

gdl::LevelSetHeader Header() {
    gdl::LevelSetHeader h;
    h.name = "Forty characters of a level set name....";
    h.year = "2024";
    h.notice = "A designer with a notice of sixty characters, more or less";
    h.wizard = "WIZD";
    h.comments = std::string(512, 'c');
    h.hiddenCount = 3;
    h.visibleCount = 252;
    return h;
}

std::vector<gdl::LevelTableEntry> Entries() {
    std::vector<gdl::LevelTableEntry> entries;
    for (std::uint32_t n = 1; n <= 255; ++n) {
        entries.push_back({true, static_cast<std::uint8_t>(n), "PW" + std::to_string(n % 100),
                           "Designer number " + std::to_string(n), static_cast<std::uint8_t>(n % 3),
                           1000 + n});
    }
    return entries;
}

std::string WriteIndex(const gdl::LevelSetHeader& header,
                       const std::vector<gdl::LevelTableEntry>& entries) {
    std::string out = gdl::SerializeHeader(header);
    out.reserve(gdl::kFirstRecordOffset);
    for (const auto& e : entries) out += gdl::SerializeTableEntry(e);
    for (std::size_t n = entries.size() + 1; n <= gdl::kTableEntries; ++n)
        out += gdl::SerializeFreeEntry(n);
    return out;
}

void BM_WriteIndex(benchmark::State& state) {
    auto header = Header();
    auto entries = Entries();
    for (auto _ : state) benchmark::DoNotOptimize(WriteIndex(header, entries));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gdl::kFirstRecordOffset));
}
BENCHMARK(BM_WriteIndex);

void BM_ReadIndex(benchmark::State& state) {
    std::string bytes = WriteIndex(Header(), Entries());
    for (auto _ : state) benchmark::DoNotOptimize(gdl::ParseLevelSetIndex(bytes));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gdl::kFirstRecordOffset));
}
BENCHMARK(BM_ReadIndex);

void BM_WriteAndReadIndex(benchmark::State& state) {
    auto header = Header();
    auto entries = Entries();
    for (auto _ : state) {
        auto index = gdl::ParseLevelSetIndex(WriteIndex(header, entries));
        if (!index || index->table.size() != gdl::kTableEntries) state.SkipWithError("bad index");
        benchmark::DoNotOptimize(index);
    }
}
BENCHMARK(BM_WriteAndReadIndex);

}  // namespace
