// The registry store as the player's list of sets and saved codes grow: the
// file of one root loaded whole, and one value saved into it.
#include <benchmark/benchmark.h>

#include <string>

#include "FileUtil.h"
#include "Registry.h"
#include "RegistryHive.h"
#include "TempDir.h"

namespace {

constexpr char kKey[] = "Software\\Vandrel\\GDLKIT\\Play\\LevelSets";

gdl::RegistryHive HiveOf(std::int64_t values) {
    gdl::RegistryHive hive;
    auto& key = hive.Create(kKey);
    for (std::int64_t i = 0; i < values; ++i)
        key.values.push_back({"Set number " + std::to_string(i) + "/Ups",
                              "/home/player/sets/set" + std::to_string(i) + ".gdl"});
    return hive;
}

void BM_ParseHive(benchmark::State& state) {
    const std::string text = gdl::SerializeHive(HiveOf(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(gdl::ParseHive(text));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseHive)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_SerializeHive(benchmark::State& state) {
    const gdl::RegistryHive hive = HiveOf(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(gdl::SerializeHive(hive));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SerializeHive)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// The file store: every value of the key enumerated (a load) and one value
// written (a load, a change and a save to disk).
void BM_FileRegistryLoadAndSave(benchmark::State& state) {
    gdltest::TempDir dir;
    const std::string user = dir.Path("user.reg");
    if (!gdl::WriteFileAtomic(user, gdl::SerializeHive(HiveOf(state.range(0))))) {
        state.SkipWithError("cannot write the registry file");
        return;
    }
    gdl::FileRegistry registry(dir.Path("machine.reg"), user);
    std::int64_t n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(registry.ValueNames(gdl::RegRoot::CurrentUser, kKey));
        registry.WriteValue(gdl::RegRoot::CurrentUser, kKey, "Set number 7/Ups",
                            "/tmp/new" + std::to_string(++n) + ".gdl");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FileRegistryLoadAndSave)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
