// The level tool on a source of 64 levels of 32x32: parsing, compiling in
// memory, the whole compile command writing its files, and the real ld.exe.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "LevelCompile.h"
#include "LevelSource.h"
#include "LevelTexts.h"
#include "LevelToolCommands.h"
#include "TempDir.h"

extern char** environ;

namespace {

constexpr int kLevels = 64;
constexpr int kSide = 32;

const std::string& Source() {
    // Rooms of dirt behind walls, with gems, boulders and a little water: about
    // as compressible as a hand-made level.
    static const std::string text = gdltest::LevelSourceText(kLevels, kSide, kSide);
    return text;
}

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

void BM_ParseSource(benchmark::State& state) {
    for (auto _ : state) {
        gdl::ParsedSource parsed = gdl::ParseLevelSource(Source());
        if (parsed.HasErrors() || parsed.levels.size() != kLevels)
            state.SkipWithError("bad source");
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Source().size()));
}
BENCHMARK(BM_ParseSource)->Unit(benchmark::kMillisecond);

void BM_CompileLevelsInMemory(benchmark::State& state) {
    gdl::ParsedSource parsed = gdl::ParseLevelSource(Source());
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& level : parsed.levels) {
            gdl::CompiledLevelFile file = gdl::CompileLevel(level);
            bytes += file.bytes.size();
            benchmark::DoNotOptimize(file);
        }
    }
    state.counters["levels/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kLevels), benchmark::Counter::kIsRate);
    state.counters["bytes/level"] =
        static_cast<double>(bytes) / static_cast<double>(state.iterations() * kLevels);
}
BENCHMARK(BM_CompileLevelsInMemory)->Unit(benchmark::kMillisecond);

// "ld.exe -mBench" in-process: read, parse, compile, write 64 files and gdl.hsf.
void BM_CompileCommandInProcess(benchmark::State& state) {
    gdltest::TempDir dir;
    dir.Write("Bench.lvs", Source());
    NullBuffer nothing;
    std::ostream sink(&nothing);
    for (auto _ : state) {
        if (gdl::CompileSource(dir.Folder(), "Bench", sink, sink) != 0)
            state.SkipWithError("compile failed");
    }
}
BENCHMARK(BM_CompileCommandInProcess)->Unit(benchmark::kMillisecond);

int RunLevelTool(const std::string& option, const std::string& folder) {
    const std::string ld = std::string(GDLKIT_KIT_DIR) + "/bin/ld.exe";
    std::string arg = option + "Bench";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    char* argv[] = {const_cast<char*>(ld.c_str()), arg.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, ld.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The real program as the editor's build runs it: start-up included.
void BM_LevelToolProcess(benchmark::State& state, const char* option) {
    gdltest::TempDir dir;
    dir.Write("Bench.lvs", Source());
    for (auto _ : state) {
        if (RunLevelTool(option, dir.Folder()) != 0) state.SkipWithError("ld.exe failed");
    }
}
BENCHMARK_CAPTURE(BM_LevelToolProcess, compile, "-m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LevelToolProcess, list, "-s")->Unit(benchmark::kMillisecond);

}  // namespace
