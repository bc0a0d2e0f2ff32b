// GDLMap on the offscreen platform: from start to the first painted frame of
// a 250-level source (goal: 150 ms), the repaint after one pencil step on a
// 99x99 map at fit zoom in tile pictures (goal: 8 ms), and a zoom step on
// that map (goal: 16 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QRect>
#include <cstdlib>

#include "LevelTexts.h"
#include "MapEditor.h"
#include "MapView.h"
#include "MapWindow.h"
#include "TempDir.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "MapEditorBench";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

// The window made, the source read, the window shown and painted once.
void StartToFirstFrame250Levels(benchmark::State& state) {
    App();
    gdltest::TempDir dir;
    dir.Write("big.lvs", gdltest::LevelSourceText(250, 40, 22));
    for (auto _ : state) {
        gdl::MapWindow window;
        QString problem;
        if (!window.Open(QString::fromStdString(dir.Path("big.lvs")), {}, &problem))
            state.SkipWithError(problem.toStdString().c_str());
        window.show();
        QPixmap frame = window.grab();
        benchmark::DoNotOptimize(frame.cacheKey());
    }
}
BENCHMARK(StartToFirstFrame250Levels)->Unit(benchmark::kMillisecond);

// The window on a made-up source of `levels` levels of width x height,
// shown and painted once; fitted, desktop-sized whatever the offscreen
// screen's size with the map fitted to it.
struct SourceWindow {
    SourceWindow(benchmark::State& state, int levels, int width, int height, bool fitted) {
        App();
        dir.Write("bench.lvs", gdltest::LevelSourceText(levels, width, height));
        QString problem;
        if (!window.Open(QString::fromStdString(dir.Path("bench.lvs")), {}, &problem))
            state.SkipWithError(problem.toStdString().c_str());
        if (fitted) window.resize(1280, 960);
        window.show();
        canvas = window.Canvas();
        if (fitted) canvas->SetFit(true);
        (void)canvas->grab();
    }
    gdltest::TempDir dir;
    gdl::MapWindow window;
    gdl::MapView* canvas = nullptr;
};

// A tile painted with the pencil at a place that moves through `area` (so
// every step changes the map), then the canvas painted again.
void PencilSteps(benchmark::State& state, gdl::MapView* canvas, QRect area) {
    int step = 0;
    for (auto _ : state) {
        const int x = area.left() + step % area.width();
        const int y = area.top() + (step / area.width()) % area.height();
        ++step;
        emit canvas->tilePressed(x, y, false);
        emit canvas->tileReleased(x, y);
        canvas->repaint();
    }
}

// A pencil step on the 99x99 map at fit zoom.
void RepaintAfterPencilStep99x99(benchmark::State& state) {
    SourceWindow huge(state, 1, 99, 99, true);
    PencilSteps(state, huge.canvas, QRect(1, 1, 97, 97));
    state.counters["tileSize"] = huge.canvas->TileSize();
}
BENCHMARK(RepaintAfterPencilStep99x99)->Unit(benchmark::kMillisecond);

// One zoom step in or out at the mouse on the 99x99 map, painted.
void ZoomStep99x99(benchmark::State& state) {
    SourceWindow huge(state, 1, 99, 99, true);
    gdl::MapView* canvas = huge.canvas;
    const QPoint middle(canvas->width() / 2, canvas->height() / 2);
    int step = 0;
    for (auto _ : state) {
        // In twice, out twice: sizes from the fit up to two steps larger.
        canvas->ZoomAt(middle, (step++ / 2) % 2 ? -1 : 1);
        canvas->repaint();
    }
    state.counters["tileSize"] = canvas->TileSize();
}
BENCHMARK(ZoomStep99x99)->Unit(benchmark::kMillisecond);

// The same step in a source of 250 levels: the panels follow too (problems,
// history, the changed level's picture).
void PencilStepIn250LevelSource(benchmark::State& state) {
    SourceWindow big(state, 250, 40, 22, false);
    PencilSteps(state, big.canvas, QRect(1, 2, 38, 18));
}
BENCHMARK(PencilStepIn250LevelSource)->Unit(benchmark::kMillisecond);

// What the problems panel asks a moment after drawing stops: the parser's
// messages and the doctor's findings of all 250 levels, one level changed.
void ProblemsAfterPencilStep250Levels(benchmark::State& state) {
    gdl::MapEditor editor;
    if (!editor.OpenBytes(gdltest::LevelSourceText(250, 40, 22), "/nonexistent/big.lvs").Ok())
        state.SkipWithError("not opened");
    int step = 0;
    for (auto _ : state) {
        editor.SetCursor({1 + step % 38, 2 + (step / 38) % 18});
        editor.TypeSymbol(step % 2 ? '.' : ':');
        ++step;
        benchmark::DoNotOptimize(editor.Problems().size());
    }
}
BENCHMARK(ProblemsAfterPencilStep250Levels)->Unit(benchmark::kMillisecond);

}  // namespace
