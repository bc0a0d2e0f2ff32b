// The player's reader on the largest set: preparing position 255 reads the
// 254 earlier level records on the way, as the file keeps no block index.
#include <benchmark/benchmark.h>

#include "CompiledLevel.h"
#include "LevelSetFile.h"
#include "LynxText.h"
#include "PlayerState.h"
#include "Prompts.h"
#include "Reader.h"
#include "Registry.h"
#include "SerialLine.h"
#include "TempDir.h"
#include "Timer.h"
#include "ToolRunner.h"

namespace {

// A 32 x 32 level: the header and a body of 1024 tiles, as the level tool makes it.
std::string CompiledLevel(int n) {
    gdl::CompiledLevelHeader h;
    h.width = 32;
    h.height = 32;
    h.nameCodes = gdl::EncodeLynxText("LEVEL " + std::to_string(n));
    return gdl::SerializeCompiledLevelHeader(h) + std::string(1024, '\x02') + '\xFF';
}

std::string FullSet() {
    gdl::LevelSetHeader header;
    header.name = "Bench";
    header.visibleCount = 255;
    std::vector<gdl::LevelSetLevel> levels;
    for (int n = 1; n <= 255; ++n) {
        gdl::LevelSetLevel level;
        level.entry.password = "P" + std::to_string(n);
        level.entry.designer = "Designer";
        level.hint = std::string(200, 'h');
        level.compiled = CompiledLevel(n);
        levels.push_back(level);
    }
    return gdl::SerializeLevelSet(header, levels);
}

void BM_PrepareLevel255(benchmark::State& state) {
    gdltest::TempDir dir;
    dir.Write("bench.gdl", FullSet());
    gdl::MemoryRegistry registry;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ManualTimer timer;
    gdl::FakeSerialLine line;
    gdl::ScriptedPlayerDialogs dialogs;
    gdl::PlayerContext context{{registry, runner, prompts, timer, line, dialogs}, {}, {}, {}};
    context.state.setFolder = dir.Folder();
    context.state.setFileName = "bench.gdl";
    gdl::Reader reader(context);
    for (auto _ : state) {
        context.state.index = 255;
        context.state.levelReady = true;
        reader.PrepareLevel();
        benchmark::DoNotOptimize(context.state.levelData.data());
    }
    if (context.view.Panel3.text != "LEVEL 255") state.SkipWithError("position 255 not read");
}
BENCHMARK(BM_PrepareLevel255)->Unit(benchmark::kMicrosecond);

}  // namespace
