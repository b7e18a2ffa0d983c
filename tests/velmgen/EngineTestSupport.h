#pragma once
// Small helpers for the engine tests: a random table primed with chosen
// words, draw counting, and a private scratch directory.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>

#include "velmgen/DefsStore.h"
#include "velmgen/RandTable.h"

namespace velmgen::testing {

// A freshly built table whose next draws return `words` in order.
inline RandTable primedTable(std::initializer_list<std::int32_t> words) {
  RandTable t{};
  randInit(t, kInitialSeed, kInitialModulus);
  reseed(t, 1);
  int i = 1;
  for (std::int32_t w : words) t.T[i++] = w;
  t.index = 0;
  return t;
}

// How many draws `after` is ahead of `before`: advances a copy of `before`
// until its state matches (up to `limit` draws; -1 if it never does).
inline long drawsBetween(RandTable before, const RandTable& after, long limit) {
  for (long n = 0; n <= limit; ++n) {
    if (before.index == after.index && std::equal(std::begin(before.T), std::end(before.T), std::begin(after.T)))
      return n;
    nextRaw(before);
  }
  return -1;
}

inline DefsStore settings(std::int32_t width, std::int32_t height, std::int32_t colours) {
  DefsStore d;
  d.size_x = width;
  d.size_y = height;
  d.colours = colours;
  d.max_colour = colours - 1;
  return d;
}

// A scratch directory removed at the end of the test.
struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    static int counter = 0;
    path = std::filesystem::temp_directory_path() /
           ("velmora-test-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string file(const std::string& name) const { return (path / name).string(); }
};

}  // namespace velmgen::testing
