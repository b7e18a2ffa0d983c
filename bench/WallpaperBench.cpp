// Every mode at 3840 x 2160 and 7680 x 4320 with 256 colours, the file
// written each time; and the costliest subdivisions the engine still makes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "velmgen/Generators.h"
#include "velmgen/WallGen.h"

namespace {

void makeOne(benchmark::State& state, std::int32_t mode, std::int32_t width, std::int32_t height) {
  const std::string path = (std::filesystem::temp_directory_path() / "velmora-bench.bmp").string();
  velmgen::DefsStore defs;
  defs.size_x = width;
  defs.size_y = height;
  velmgen::RandTable rand{};
  velmgen::randInit(rand, velmgen::kInitialSeed, velmgen::kInitialModulus);
  velmgen::reseed(rand, 12345);
  velmgen::WallGen gen;
  for (auto _ : state) {
    if (velmgen::makeWallpaper(gen, rand, defs, mode, path) != 1) state.SkipWithError("cannot write the file");
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{width} * height);
  std::filesystem::remove(path);
}

void BM_Wallpaper4K(benchmark::State& state) { makeOne(state, static_cast<std::int32_t>(state.range(0)), 3840, 2160); }
void BM_Wallpaper8K(benchmark::State& state) { makeOne(state, static_cast<std::int32_t>(state.range(0)), 7680, 4320); }

// Modes 1 and 4 cost about a third of the longer side squared: the longest
// side they accept, as a one-pixel strip and at the most pixels allowed.
void BM_LongestSubdivision(benchmark::State& state) {
  makeOne(state, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)),
          velmgen::kLongestSubdividedSide);
}

BENCHMARK(BM_Wallpaper4K)->DenseRange(0, 7)->ArgName("mode")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Wallpaper8K)->DenseRange(0, 7)->ArgName("mode")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LongestSubdivision)
    ->ArgsProduct({{1, 4}, {1, (1 << 28) / velmgen::kLongestSubdividedSide}})
    ->ArgNames({"mode", "width"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
