// The player's reader on the largest set: preparing position 255 reads the
// 254 earlier level records on the way, as the file keeps no block index.
#include <benchmark/benchmark.h>

#include "CompiledLevel.h"
#include "LevelSetFile.h"
#include "LynxText.h"
#include "PlayerFakes.h"
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
    gdl::PlayerFakes fakes;
    gdl::PlayerContext context{fakes.Ports(), {}, {}, {}};
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

#include "ChildProcess.h"
#include "EventLoop.h"
#include "FakeTools.h"
#include "PlayerWindow.h"
#include "ZcommLine.h"

namespace {

// One whole send to the simulator pacing the wire at 9600 baud. The manual
// time is the play action on the window thread (a pty takes the bytes into
// its buffer at once); wire_s is what the simulator saw from the first byte
// to the last, against the wire's floor of (548 + L) / 872.7 seconds.
void BM_SendAt9600(benchmark::State& state) {
    std::string script = "wait-level; answer";
    for (int i = 0; i < 40; ++i) script += "; wait-level; answer";
    gdltest::ChildProcess sim(
        {gdltest::KitBin() + "lynxsim", "--baud", "9600", "--script", script});
    auto device = sim.ReadLine(std::chrono::seconds(5));
    if (!device) {
        state.SkipWithError("lynxsim did not start");
        return;
    }
    gdltest::TempDir dir;
    dir.Write("bench.gdl", FullSet());
    gdltest::WriteMarkers(dir.Folder(), {"ld.exe", "ld.pif"});
    gdl::MemoryRegistry registry;
    gdl::RecordingToolRunner runner;
    gdl::ScriptedPrompts prompts;
    gdl::ScriptedPlayerDialogs dialogs;
    gdl::EventLoop loop;
    gdl::ZcommLine line([&](std::function<void()> fn) { loop.Post(std::move(fn)); }, &registry);
    gdl::PlayerWindow window({registry, runner, prompts, loop.WindowTimer(), line, dialogs},
                             {dir.Path("bench.gdl"), "1"}, dir.Folder());
    loop.WindowTimer().onTick = [&] { window.Timer1Timer(); };
    window.FormActivate();
    window.UsePort(*device);
    std::size_t level = 0;
    double wire = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        window.SpeedButton1Click();
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        level = window.State().levelData.size() - 7;
        auto report = sim.ReadLineWith("\"event\":\"level\"", std::chrono::seconds(10));
        if (auto at = report ? report->find("\"ms\":") : std::string::npos; at != std::string::npos)
            wire += std::stod(report->substr(at + 5)) / 1000.0;
        loop.RunUntil([&] { return window.LinkLayer().State() == gdl::lsPlaying; },
                      std::chrono::seconds(5));
    }
    state.counters["wire_s"] = wire / static_cast<double>(state.iterations());
    state.counters["wire_limit_s"] = (548.0 + static_cast<double>(level)) / 872.7;
    window.FormDestroy();
}
BENCHMARK(BM_SendAt9600)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
