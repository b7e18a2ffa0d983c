// Every mode at 3840 x 2160 with 256 colours, the file written each time.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "velmgen/WallGen.h"

namespace {

void BM_Wallpaper4K(benchmark::State& state) {
  const auto mode = static_cast<std::int32_t>(state.range(0));
  const std::string path = (std::filesystem::temp_directory_path() / "velmora-bench.bmp").string();
  velmgen::DefsStore defs;
  defs.size_x = 3840;
  defs.size_y = 2160;
  velmgen::RandTable rand{};
  velmgen::randInit(rand, velmgen::kInitialSeed, velmgen::kInitialModulus);
  velmgen::reseed(rand, 12345);
  velmgen::WallGen gen;
  for (auto _ : state) {
    if (velmgen::makeWallpaper(gen, rand, defs, mode, path) != 1) state.SkipWithError("cannot write the file");
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{3840} * 2160);
  std::filesystem::remove(path);
}

BENCHMARK(BM_Wallpaper4K)->DenseRange(0, 7)->ArgName("mode")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
