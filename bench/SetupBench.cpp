// The installer's pack reader and kestrin's pack writer at scale:
//   - copying a 1 GiB entry out of a pack, beside `cp` of the same file;
//   - a pack of 10,000 entries built, its directory read, and every entry
//     looked up by name.
// Build and run with the native-release preset:
//   build/native-release/bench/setup_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "PackWriter.h"
#include "setup/InstallPack.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = 1ull << 30;

fs::path benchDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("velmora-setup-bench-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// A 1 GiB file of random bytes and the pack that holds it, made once.
const fs::path& bigPack() {
  static const fs::path base = [] {
    const fs::path src = benchDir() / "big.dat";
    {
      std::ofstream out(src, std::ios::binary);
      std::mt19937_64 rng(1);
      std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
      for (std::uint64_t done = 0; done < kGiB; done += block.size() * 8) {
        for (auto& w : block) w = rng();
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
      }
    }
    const fs::path b = benchDir() / "BIG";
    std::string error;
    if (!kestrin::writePack(b.string(), {{"big.dat", src.string(), {}, 0}}, 0, nullptr, &error)) std::abort();
    return b;
  }();
  return base;
}

void BM_ExtractGiBEntry(benchmark::State& state) {
  const fs::path base = bigPack();
  const std::string out = (benchDir() / "out.dat").string();
  for (auto _ : state) {
    setup::theVolumeChain().start(base.string());
    auto pack = setup::InstallPack::open(base.string() + ".i00");
    if (!setup::copyEntry(pack, "big.dat", out)) state.SkipWithError("copy failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kGiB));
  fs::remove(out);
}
BENCHMARK(BM_ExtractGiBEntry)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_CpGiBFile(benchmark::State& state) {
  bigPack();
  const std::string command = "cp '" + (benchDir() / "big.dat").string() + "' '" + (benchDir() / "cp.dat").string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kGiB));
  fs::remove(benchDir() / "cp.dat");
}
BENCHMARK(BM_CpGiBFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A user-space copy through a 1 MiB buffer, as the reader makes it (cp
// copies inside the kernel with copy_file_range).
void BM_DdGiBFile(benchmark::State& state) {
  bigPack();
  const std::string command = "dd bs=1M status=none if='" + (benchDir() / "big.dat").string() + "' of='" +
                              (benchDir() / "dd.dat").string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("dd failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kGiB));
  fs::remove(benchDir() / "dd.dat");
}
BENCHMARK(BM_DdGiBFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

std::vector<kestrin::PackInput> manyEntries(int n) {
  std::vector<kestrin::PackInput> inputs;
  inputs.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    // Longest names first within a family, so no name hides another.
    inputs.push_back({"file" + std::to_string(n - i) + ".dat", "", kestrin::Bytes(64, static_cast<std::uint8_t>(i)), 0});
  }
  return inputs;
}

void BM_BuildPack(benchmark::State& state) {
  const auto inputs = manyEntries(static_cast<int>(state.range(0)));
  const std::string base = (benchDir() / "MANY").string();
  for (auto _ : state) {
    std::string error;
    if (!kestrin::writePack(base, inputs, 0, nullptr, &error)) state.SkipWithError(error.c_str());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BuildPack)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ListPack(benchmark::State& state) {
  const auto inputs = manyEntries(static_cast<int>(state.range(0)));
  const std::string base = (benchDir() / ("LIST" + std::to_string(state.range(0)))).string();
  std::string error;
  kestrin::writePack(base, inputs, 0, nullptr, &error);
  for (auto _ : state) {
    auto pack = setup::InstallPack::open(base + ".i00");
    std::uint64_t total = 0;
    for (const auto& r : pack->directory) total += r.size() + r.name().size();
    benchmark::DoNotOptimize(total);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListPack)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_LookUpEveryEntry(benchmark::State& state) {
  const auto inputs = manyEntries(static_cast<int>(state.range(0)));
  const std::string base = (benchDir() / ("LOOK" + std::to_string(state.range(0)))).string();
  std::string error;
  kestrin::writePack(base, inputs, 0, nullptr, &error);
  auto pack = setup::InstallPack::open(base + ".i00");
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const auto& in : inputs) sum += pack->lookUp(in.name);
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LookUpEveryEntry)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(benchDir(), ec);
  return 0;
}
