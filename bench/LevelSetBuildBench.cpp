// The build of a 255-level project: with the level tool's work taken away
// (compiled levels already there, or made instantly by a recording runner),
// and with the kit's real level tool. With the real tool the counters hold
// the tools' own process time (user + system of the waited-for children) of
// the same run and the ratio of the build's wall time to it. Start-up: the
// loading of a 255-level project, one listing per source.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "CommonFakes.h"
#include "CompiledLevel.h"
#include "FileUtil.h"
#include "LevelInfo.h"
#include "LevelReference.h"
#include "LevelSetBuild.h"
#include "LevelTool.h"
#include "LynxText.h"
#include "Passwords.h"
#include "ProjectFile.h"
#include "Prompts.h"
#include "TempDir.h"
#include "ToolRunner.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLevels = 255;
constexpr int kLevelsPerSource = 15;
constexpr std::size_t kLevelBytes = 1200;

class QuietView : public gdl::BuildView {
public:
    std::size_t lines = 0;
    std::string last;
    void SetStatusBar(const std::string&) override {}
    void ClearStatusLines() override { lines = 0; }
    void AddStatusLine(const std::string& line) override {
        ++lines;
        last = line;
    }
    void SetProgressMax(int) override {}
    void SetProgress(int) override {}
    void SetBuildControlsEnabled(bool) override {}
};

// Every build after the first replaces the set of the one before.
class YesPrompts : public gdl::ScriptedPrompts {
public:
    gdl::Answer Ask(const std::string&, const std::string&, gdl::MsgButtons,
                    gdl::MsgIcon) override {
        return gdl::Answer::Yes;
    }
};

std::string LevelName(int i) {
    std::string n = std::to_string(i);
    return "L" + std::string(3 - n.size(), '0') + n;
}
std::string SourceName(int i) {
    return "SRC" + std::to_string(i / kLevelsPerSource + 1);
}

std::string CompiledBytes(int i) {
    gdl::CompiledLevelHeader h;
    h.width = 16;
    h.height = 9;
    h.nameCodes = gdl::EncodeLynxText("LEVEL " + std::to_string(i));
    h.minutes = 2;
    h.quota = 8;
    std::string bytes = gdl::SerializeCompiledLevelHeader(h);
    bytes.resize(kLevelBytes, static_cast<char>(i));
    return bytes;
}

struct Project {
    gdltest::TempDir dir;
    gdl::ProjectModel model;
    explicit Project(bool withSources) {
        model.name = "Bench Set";
        model.wizard = "WZRD";
        model.folder = dir.Folder();
        model.fileName = "bench.gdp";
        model.open = true;
        for (int i = 0; i < kLevels; ++i) {
            gdl::LevelEntry e;
            e.reference = withSources ? SourceName(i) + ":" + LevelName(i) : LevelName(i);
            e.designer = "Designer " + std::to_string(i % 7);
            e.password = std::string{char('A' + i / 26 % 26), char('A' + i % 26), 'Q', 'Z'};
            e.hint = "A hint for level " + std::to_string(i);
            model.levels.push_back(e);
        }
    }
};

// User and system time of the children waited for so far, in milliseconds.
double ChildrenCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Wall time and the tools' own time of the timed loop, per iteration.
class ToolTime {
public:
    ToolTime() : cpu_(ChildrenCpuMs()), start_(std::chrono::steady_clock::now()) {}
    void Report(benchmark::State& state) const {
        double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
                .count() /
            n;
        double tools = (ChildrenCpuMs() - cpu_) / n;
        state.counters["wallMs"] = wall;
        state.counters["toolMs"] = tools;
        if (tools > 0) state.counters["ratio"] = wall / tools;
    }

private:
    double cpu_;
    std::chrono::steady_clock::time_point start_;
};

void RunBuilds(benchmark::State& state, Project& project, gdl::LevelTool& tool, bool levelList) {
    YesPrompts prompts;
    gdl::ClockRandom random(1);
    QuietView view;
    gdl::BuildSettings settings;
    settings.outputPath = project.dir.Path("bench.gdl");
    settings.levelList = levelList;
    ToolTime time;
    for (auto _ : state) {
        auto result = gdl::RunLevelSetBuild(project.model, settings, tool, prompts, random, view);
        if (result.outcome != gdl::BuildOutcome::Done) {
            state.SkipWithError(view.last.c_str());
            break;
        }
    }
    time.Report(state);
    state.counters["levels"] = kLevels;
    state.counters["setBytes"] =
        static_cast<double>(gdl::FileSize(settings.outputPath).value_or(0));
}

// Levels named without a source: nothing to compile, the files stay.
void BM_BuildCompiledLevelsPresent(benchmark::State& state) {
    Project project(false);
    for (int i = 0; i < kLevels; ++i)
        gdl::WriteFileAtomic(project.dir.Path(LevelName(i) + ".bin"), CompiledBytes(i));
    gdl::RecordingToolRunner runner;
    YesPrompts prompts;
    gdl::LevelTool tool(project.dir.Folder(), runner, prompts);
    RunBuilds(state, project, tool, state.range(0) != 0);
}
BENCHMARK(BM_BuildCompiledLevelsPresent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Seventeen sources; an instant level tool writes a source's levels on compile.
void BM_BuildInstantTool(benchmark::State& state) {
    Project project(true);
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> made;
    for (int i = 0; i < kLevels; ++i)
        made[SourceName(i)].emplace_back(LevelName(i) + ".bin", CompiledBytes(i));
    gdltest::TempDir toolDir;
    for (auto name : {"ld.exe", "ld.pif", "ldinfo.pif"}) toolDir.Write(name, "x");
    gdl::RecordingToolRunner runner;
    runner.onRun = [&](const gdl::ToolCall& call) {
        for (const auto& [file, bytes] : made[call.argument])
            gdl::WriteFileAtomic(call.folder + file, bytes);
        return 0;
    };
    YesPrompts prompts;
    gdl::LevelTool tool(toolDir.Folder(), runner, prompts);
    RunBuilds(state, project, tool, false);
    state.counters["compiles"] = benchmark::Counter(static_cast<double>(runner.calls.size()),
                                                    benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_BuildInstantTool)->Unit(benchmark::kMillisecond);

// One level of the source format, a 16x9 cave.
std::string SourceLevel(int i) {
    return "level " + LevelName(i) + "\nname  Bench Cave " + std::to_string(i) +
           "\nsize  16x9\ntime  2:00\nquota 8\nmap\n"
           "XXXXXXXXXXXXXXXX\n"
           "X@::O::*::O::*:X\n"
           "X:::O:::::O::::X\n"
           "X*::::####:::::X\n"
           "X:::*:#**#:::O:X\n"
           "X:O:::#..#:::::X\n"
           "X::::::::::*:O:X\n"
           "X*:::O:::::::E:X\n"
           "XXXXXXXXXXXXXXXX\n"
           "end\n\n";
}

bool HaveKitTool(benchmark::State& state, const std::string& bin) {
    if (gdl::FileExists(bin + "ld.exe") && gdl::FileExists(bin + "ld.pif")) return true;
    state.SkipWithError("no ld.exe in the kit");
    return false;
}

void WriteSources(Project& project) {
    std::map<std::string, std::string> sources;
    for (int i = 0; i < kLevels; ++i) sources[SourceName(i)] += SourceLevel(i);
    for (const auto& [name, text] : sources) {
        project.dir.Write(name + ".lvs", text);
        project.model.sources.push_back(name);
    }
}

// The kit's own level tool, run through its batch file for every compile.
void BM_BuildRealTool(benchmark::State& state) {
    const std::string bin = std::string(GDLKIT_KIT_DIR) + "/bin/";
    if (!HaveKitTool(state, bin)) return;
    Project project(true);
    WriteSources(project);
    gdl::PosixToolRunner runner;
    YesPrompts prompts;
    gdl::LevelTool tool(bin, runner, prompts);
    RunBuilds(state, project, tool, state.range(0) != 0);
}
BENCHMARK(BM_BuildRealTool)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// What opening the project does before the window is idle: the project file
// read, each source's listing made afresh through the level tool, and the
// level information of every level read from the caches.
void BM_StartUpRealTool(benchmark::State& state) {
    const std::string bin = std::string(GDLKIT_KIT_DIR) + "/bin/";
    if (!HaveKitTool(state, bin)) return;
    Project project(true);
    WriteSources(project);
    if (!gdl::SaveProject(project.model)) {
        state.SkipWithError("project not saved");
        return;
    }
    const std::string path = project.model.FullPath();
    gdl::PosixToolRunner runner;
    YesPrompts prompts;
    gdl::LevelTool tool(bin, runner, prompts);
    ToolTime time;
    for (auto _ : state) {
        gdl::ProjectModel model;
        if (!gdl::LoadProject(model, path)) {
            state.SkipWithError("project not loaded");
            break;
        }
        gdl::RunListing listing = [&](const std::string& source) {
            tool.List(source, model.folder);
        };
        for (const auto& source : model.sources) {
            gdl::DeleteLevelInfoFiles(model.folder, source);
            gdl::RefreshLevelInfoCache(model.folder, source, listing);
        }
        int found = 0;
        for (const auto& entry : model.levels) {
            gdl::LevelRef ref = gdl::SplitReference(entry.reference);
            found += gdl::ReadLevelInfo(model.folder, ref.source, ref.level, listing).found;
        }
        if (found != kLevels) {
            state.SkipWithError("levels not listed");
            break;
        }
    }
    time.Report(state);
    state.counters["sources"] = static_cast<double>(project.model.sources.size());
}
BENCHMARK(BM_StartUpRealTool)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
