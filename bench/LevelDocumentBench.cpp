// The level source document: loading and parsing a source of 250 levels
// (goal: 30 ms), the level doctor over its 250 levels (goal: 20 ms), and the
// memory 10,000 pencil strokes on a 99x99 map hold (goal: 50 MB).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "LevelDoctor.h"
#include "LevelDocument.h"
#include "LevelEdits.h"
#include "LevelTexts.h"

namespace {

constexpr int kLevels = 250;

void LoadAndParse250Levels(benchmark::State& state) {
    const std::string text = gdltest::LevelSourceText(kLevels, 40, 22);
    for (auto _ : state) {
        auto doc = gdl::LevelDocument::FromBytes(text);
        benchmark::DoNotOptimize(doc.Ok());
    }
    state.counters["levels"] = kLevels;
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(LoadAndParse250Levels)->Unit(benchmark::kMillisecond);

void Doctor250Levels(benchmark::State& state) {
    auto doc = gdl::LevelDocument::FromBytes(gdltest::LevelSourceText(kLevels, 40, 22));
    std::vector<gdl::SourceLevel> levels;
    for (std::size_t i = 0; i < doc->LevelCount(); ++i) levels.push_back(doc->AsSourceLevel(i));
    std::size_t findings = 0;
    for (auto _ : state) {
        findings = 0;
        for (const auto& level : levels) findings += gdl::Doctor(level).size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(Doctor250Levels)->Unit(benchmark::kMillisecond);

// Each stroke a random walk of 30 tiles, so most strokes change most of them.
void TenThousandStrokesOn99x99(benchmark::State& state) {
    const std::string text = gdltest::LevelSourceText(1, 99, 99);
    double heapMb = 0, historyMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = gdl::LevelDocument::FromBytes(text);
        gdl::LevelDocument doc = std::move(loaded).Value();
        std::mt19937 rng(5);
        const std::size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        for (int s = 0; s < 10000; ++s) {
            std::vector<gdl::TilePoint> points;
            gdl::TilePoint p{static_cast<int>(rng() % 99), static_cast<int>(rng() % 99)};
            for (int i = 0; i < 30; ++i) {
                points.push_back(p);
                p.x = std::clamp(p.x + static_cast<int>(rng() % 3) - 1, 0, 98);
                p.y = std::clamp(p.y + static_cast<int>(rng() % 3) - 1, 0, 98);
            }
            auto tile = static_cast<gdl::Tile>(rng() % gdl::kTileCount);
            doc.Apply(gdl::PencilStroke(doc, 0, points, tile).Value());
        }
        state.PauseTiming();
        heapMb = static_cast<double>(mallinfo2().uordblks - before) / (1 << 20);
        historyMb = static_cast<double>(doc.HistoryBytes()) / (1 << 20);
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = heapMb;
    state.counters["history_MB"] = historyMb;
}
BENCHMARK(TenThousandStrokesOn99x99)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
