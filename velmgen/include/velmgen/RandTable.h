#pragma once
// The engine's one subtractive random-number table and its two samplers.
// Every random choice of the engine is a draw from here, in a fixed order,
// so the same history of seedings and draws always gives the same image.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace velmgen {

struct RandTable {
  std::int32_t T[56];    // T[0] the seed word, T[1..55] the table
  std::int32_t modulus;  // added once to a negative difference
  std::int32_t index;    // words drawn since the last refill, 0..55
};

// The process's table. Zero until randInit runs.
extern RandTable theRand;

inline constexpr std::int32_t kInitialSeed = static_cast<std::int32_t>(0xA7F012FEu);
inline constexpr std::int32_t kInitialModulus = 65536;

void randInit(RandTable& t, std::int32_t seed, std::int32_t modulus);
void reseed(RandTable& t, std::int32_t seed);
std::int32_t nextRaw(RandTable& t);
inline std::int32_t next16(RandTable& t) { return nextRaw(t) & 0xFFFF; }

// The next `count` values of next16, in order, at once.
void draw16(RandTable& t, std::uint16_t* out, std::size_t count);
// Moves the table on by `count` draws whose values nobody looks at.
void skipDraws(RandTable& t, std::uint64_t count);

// Draw constants, each the double nearest to the quotient named.
inline constexpr double K = std::bit_cast<double>(std::uint64_t{0x3EF0001000100010});      // 1/65535
inline constexpr double K255 = std::bit_cast<double>(std::uint64_t{0x3F6FE01FE01FE020});   // 255/65535
inline constexpr double K1 = std::bit_cast<double>(std::uint64_t{0x3EF0000FE537F29D});     // (1-1e-7)/65535
inline constexpr double K8 = std::bit_cast<double>(std::uint64_t{0x3F20000FDE81EF40});     // 7.999999/65535
inline constexpr double K255i = std::bit_cast<double>(std::uint64_t{0x3F70101010101010});  // 1/255

// A value spread evenly over lo..hi: lo + (d * (hi - lo)) * K.
struct UniformDraw {
  RandTable& table;
  double lo, hi;
  double value() { return lo + (static_cast<double>(next16(table)) * (hi - lo)) * K; }
};

// (d * h) * K truncated toward zero: the engine's usual integer choice 0..h.
inline std::int32_t drawScaled(RandTable& t, double h) {
  return static_cast<std::int32_t>(UniformDraw{t, 0.0, h}.value());
}

// d * K255: palette centres and start values, 0..255.
inline double drawByte(RandTable& t) { return static_cast<double>(next16(t)) * K255; }

// A normally distributed value (Box-Muller, cosine branch), two draws each.
struct GaussDraw {
  RandTable& table;
  double mean, sigma;
  double value();
};

}  // namespace velmgen
