#include "velmgen/RandTable.h"

#include <algorithm>
#include <cmath>

#include "velmgen/StableMath.h"

namespace velmgen {

constinit RandTable theRand{};

namespace {

// Two's-complement arithmetic that wraps, as the table's words require.
std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t reduced(std::int32_t t, std::int32_t m) { return t < 0 ? wrapAdd(t, m) : t; }

void refill(RandTable& t) {
  const std::int32_t m = t.modulus;
  // The second loop reads words 24 places back, so it runs in three blocks
  // of independent words (24..47 read 0..23; 48..54 read 24..30).
  for (int i = 1; i <= 23; ++i) t.T[i] = reduced(wrapSub(t.T[i], t.T[i + 31]), m);
  for (int i = 24; i <= 47; ++i) t.T[i] = reduced(wrapSub(t.T[i], t.T[i - 24]), m);
  for (int i = 48; i <= 54; ++i) t.T[i] = reduced(wrapSub(t.T[i], t.T[i - 24]), m);
  t.index = 0;
}

}  // namespace

void randInit(RandTable& t, std::int32_t seed, std::int32_t modulus) {
  t.modulus = modulus;
  reseed(t, seed);
}

void reseed(RandTable& t, std::int32_t seed) {
  t.T[0] = seed;
  t.T[55] = seed;
  std::int32_t a = seed;
  std::int32_t b = 1;
  // 54 steps: position 35 keeps its value from before the reseed.
  for (int k = 0; k < 54; ++k) {
    const int i = (21 * k) % 55 + 1;
    t.T[i] = b;
    const std::int32_t next = reduced(wrapSub(a, b), t.modulus);
    a = b;
    b = next;
  }
  refill(t);
  refill(t);
  refill(t);
}

std::int32_t nextRaw(RandTable& t) {
  if (t.index > 54) refill(t);
  t.index += 1;
  return t.T[t.index];
}

void draw16(RandTable& t, std::uint16_t* out, std::size_t count) {
  while (count > 0) {
    if (t.index > 54) refill(t);
    const std::size_t n = std::min<std::size_t>(count, static_cast<std::size_t>(55 - t.index));
    const std::int32_t* from = t.T + t.index + 1;
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint16_t>(from[i]);
    t.index += static_cast<std::int32_t>(n);
    out += n;
    count -= n;
  }
}

void skipDraws(RandTable& t, std::uint64_t count) {
  while (count > 0) {
    if (t.index > 54) refill(t);
    const std::uint64_t n = std::min<std::uint64_t>(count, static_cast<std::uint64_t>(55 - t.index));
    t.index += static_cast<std::int32_t>(n);
    count -= n;
  }
}

double GaussDraw::value() {
  const double u1 = 1e-7 + static_cast<double>(next16(table)) * K1;
  const double u2 = 1e-7 + static_cast<double>(next16(table)) * K1;
  return std::sqrt(-2.0 * stableLog(u1)) * stableCos(u2 * 6.2831854) * sigma + mean;
}

}  // namespace velmgen
