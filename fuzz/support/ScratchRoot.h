#pragma once
// A private drive tree for a harness: a fresh folder under the system's
// temporary directory holds the host root (VELMORA_ROOT), with C:\windows,
// C:\windows\system32 and the start directory C:\setup, which becomes the
// current directory. It is removed when the process ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace fuzzing {

// Made once per process; later calls return the same root.
const std::filesystem::path& scratchRoot();
// <root>/drive_c/setup, the current directory.
std::filesystem::path startDirectory();

// Empties the start directory and every folder of drive C: that the harness
// did not make, so that each input starts from the same tree.
void resetScratch();

// Writes bytes to a host file.
void writeHostFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A property every input must keep; a broken one ends the run with its line.
#define FUZZ_REQUIRE(condition)                                                        \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);     \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

}  // namespace fuzzing
