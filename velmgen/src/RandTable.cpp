#include "velmgen/RandTable.h"

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
  for (int i = 1; i <= 23; ++i) t.T[i] = reduced(wrapSub(t.T[i], t.T[i + 31]), m);
  for (int i = 24; i <= 54; ++i) t.T[i] = reduced(wrapSub(t.T[i], t.T[i - 24]), m);
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

double GaussDraw::value() {
  const double u1 = 1e-7 + static_cast<double>(next16(table)) * K1;
  const double u2 = 1e-7 + static_cast<double>(next16(table)) * K1;
  return std::sqrt(-2.0 * stableLog(u1)) * stableCos(u2 * 6.2831854) * sigma + mean;
}

}  // namespace velmgen
