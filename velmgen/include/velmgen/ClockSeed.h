#pragma once
// The seed made from the clock when nothing else gives one: the first output
// of the classic linear congruential generator (214013, 2531011) seeded with
// the time in whole seconds. 0 .. 32767.
#include <cstdint>
#include <ctime>

namespace velmgen {

inline std::int32_t clockSeedAt(std::int64_t seconds) {
  const std::uint32_t x = static_cast<std::uint32_t>(seconds) * 214013u + 2531011u;
  return static_cast<std::int32_t>((x >> 16) & 0x7FFF);
}

inline std::int32_t clockSeed() { return clockSeedAt(static_cast<std::int64_t>(std::time(nullptr))); }

}  // namespace velmgen
