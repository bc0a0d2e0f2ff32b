// The statistics tool's summary of a level list in which every level has its
// own designer: the designer lines must grow as n log n, not n squared.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "LevelListStats.h"

namespace {

std::vector<gdl::ListedEntry> DistinctDesigners(int count) {
    std::vector<gdl::ListedEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto& e = entries[static_cast<std::size_t>(i)];
        e.label = std::to_string(i + 1);
        e.name = "LEVEL " + e.label;
        e.designer = "Designer number " + e.label;
        e.password = "P" + e.label;
        e.hasInfo = true;
        e.width = 8 + i % 90;
        e.height = 8 + i % 17;
        e.quota = i % 50;
        e.seconds = 60 + i % 500;
    }
    return entries;
}

void BM_SummaryOfDistinctDesigners(benchmark::State& state) {
    const auto entries = DistinctDesigners(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(gdl::SummarizeLevelList(entries));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SummaryOfDistinctDesigners)
    ->RangeMultiplier(4)
    ->Range(625, 40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
