#pragma once
// Writes install pack volumes BASE.i00, BASE.i01, ... from named entries,
// splitting an entry across volumes when a volume would grow past the
// chosen size (the first part flagged 0x40, each following part 0x20).
#include <cstdint>
#include <string>
#include <vector>

#include "Bytecode.h"

namespace kestrin {

struct PackInput {
  std::string name;      // at most 32 bytes
  std::string path;      // a file to store (native path), or
  Bytes bytes;           // the bytes themselves when `path` is empty
  std::uint8_t flags = 0;  // 0x01 keep loaded, 0x02 aligned
};

struct PackPart {
  std::size_t input = 0;
  std::uint64_t from = 0;  // offset in the input
  std::uint32_t size = 0;
  std::uint8_t flags = 0;
};

struct PackPlan {
  std::vector<std::vector<PackPart>> volumes;
};

inline constexpr std::uint64_t kMinVolumeSize = 64;
inline constexpr std::uint64_t kMaxVolumeSize = 0xFFFFFFFFu;
inline constexpr int kMaxVolumes = 100;

// Lays the entries out; false with a message when names or sizes do not fit.
// `volumeSize` 0 means as large as a volume may be.
bool planPack(const std::vector<PackInput>& inputs, std::uint64_t volumeSize, PackPlan* plan, std::string* error);

// Plans and writes the volumes; `written` receives their paths.
bool writePack(const std::string& base, const std::vector<PackInput>& inputs, std::uint64_t volumeSize,
               std::vector<std::string>* written, std::string* error);

std::string volumePath(const std::string& base, int number);

}  // namespace kestrin
