// GDLTools.exe gallery over 250 levels of 99x99 at the default tile size
// (goal: 3 s): every level drawn in the tile pictures and written as PNG.
#include <benchmark/benchmark.h>

#include <sstream>

#include "Gallery.h"
#include "LevelTexts.h"
#include "TempDir.h"

namespace {

void Gallery250LevelsOf99x99(benchmark::State& state) {
    gdltest::TempDir dir;
    dir.Write("big.lvs", gdltest::LevelSourceText(250, 99, 99));
    for (auto _ : state) {
        std::ostringstream out, err;
        const int status = gdl::WriteGallery(dir.Path("big.lvs"), dir.Path("gallery"),
                                             gdl::kDefaultGalleryTile, false, out, err);
        if (status != 0) state.SkipWithError(err.str().c_str());
    }
}
BENCHMARK(Gallery250LevelsOf99x99)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
