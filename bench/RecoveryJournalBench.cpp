// The recovery journal: its write after one pencil step in a 250-level source,
// as the window's timer makes it (goal: 2 ms on the window's thread), and the
// recovery of a journal of 10,000 strokes (goal: 200 ms).
#include <benchmark/benchmark.h>

#include "FileSession.h"
#include "FileUtil.h"
#include "LevelTexts.h"
#include "MapFakes.h"
#include "TempDir.h"

namespace {

void JournalWriteAfterPencilStep250Levels(benchmark::State& state) {
    gdltest::TempDir dir;
    dir.Write("big.lvs", gdltest::LevelSourceText(250, 40, 22));
    gdl::MapEditor editor;
    gdltest::ScriptedFilePrompts prompts;
    gdl::FileSession files(editor, prompts, dir.Path("state"));
    if (!files.Open(dir.Path("big.lvs"))) state.SkipWithError("cannot open");
    editor.ShowLevel(125);
    editor.SetTool(gdl::MapTool::Pencil);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const gdl::TilePoint at{1 + n % 38, 1 + (n / 38) % 20};
        // Each pass over the map paints the other tile, so every step is a change.
        editor.SetTile((n / 760) % 2 ? gdl::Tile::Gem : gdl::Tile::Dirt);
        editor.Press(at);
        editor.Release(at);
        ++n;
        state.ResumeTiming();
        files.Tick();
    }
    state.counters["source_bytes"] = static_cast<double>(editor.Document().Bytes().size());
    state.counters["journal_bytes"] =
        static_cast<double>(gdl::FileSize(files.Journal().File()).value_or(0));
}
BENCHMARK(JournalWriteAfterPencilStep250Levels)->Unit(benchmark::kMicrosecond);

void Recover10000Strokes(benchmark::State& state) {
    gdltest::TempDir dir;
    const std::string base = gdltest::LevelSourceText(250, 40, 22);
    dir.Write("big.lvs", base);
    std::string journalBytes;
    {
        gdl::RecoveryJournal journal(dir.Path("state"));
        journal.Start(dir.Path("big.lvs"), base);
        std::string text = base;
        for (int i = 0; i < 10000; ++i) {
            // One tile of a map row changed, as a pencil stroke does.
            const std::size_t at = text.find("map\n", (i * 7919) % (text.size() - 100)) + 4 + 41;
            text[at] = text[at] == '*' ? ':' : '*';
            if (!journal.Record(text, i)) state.SkipWithError("cannot record");
        }
        journalBytes = *gdl::ReadFileBytes(journal.File());
    }
    for (auto _ : state) {
        auto read = gdl::ReadJournal(journalBytes);
        if (!read || read->changes != 10000) state.SkipWithError("not all strokes read");
        benchmark::DoNotOptimize(read->bytes.data());
    }
    state.counters["journal_bytes"] = static_cast<double>(journalBytes.size());
}
BENCHMARK(Recover10000Strokes)->Unit(benchmark::kMillisecond);

}  // namespace
