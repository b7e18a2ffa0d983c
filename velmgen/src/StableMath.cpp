#include "velmgen/StableMath.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace velmgen {
namespace {

constexpr double fromBits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

std::uint32_t highWord(double x) { return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x) >> 32); }

// Minimax polynomials on [-pi/4, pi/4] (the classic Sun coefficients).
constexpr double S1 = fromBits(0xBFC5555555555549), S2 = fromBits(0x3F8111111110F8A6),
                 S3 = fromBits(0xBF2A01A019C161D5), S4 = fromBits(0x3EC71DE357B1FE7D),
                 S5 = fromBits(0xBE5AE5E68A2B9CEB), S6 = fromBits(0x3DE5D93A5ACFD57C);
constexpr double C1 = fromBits(0x3FA555555555554C), C2 = fromBits(0xBF56C16C16C15177),
                 C3 = fromBits(0x3EFA01A019CB1590), C4 = fromBits(0xBE927E4F809C52AD),
                 C5 = fromBits(0x3E21EE9EBDB4B1C4), C6 = fromBits(0xBDA8FAE9BE8838D4);

// sin(x + y) for |x| <= pi/4, y the tail of x.
double sinKernel(double x, double y) {
  const double z = x * x;
  const double w = z * z;
  const double r = S2 + z * (S3 + z * S4) + z * w * (S5 + z * S6);
  const double v = z * x;
  return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= pi/4, y the tail of x.
double cosKernel(double x, double y) {
  const double z = x * x;
  const double w = z * z;
  const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
  const double hz = 0.5 * z;
  const double one_minus_hz = 1.0 - hz;
  return one_minus_hz + (((1.0 - one_minus_hz) - hz) + (z * r - x * y));
}

// pi/2 in three 33-bit pieces with their tails, for Cody-Waite reduction.
constexpr double invPio2 = fromBits(0x3FE45F306DC9C883);
constexpr double pio2_1 = fromBits(0x3FF921FB54400000), pio2_1t = fromBits(0x3DD0B4611A626331);
constexpr double pio2_2 = fromBits(0x3DD0B4611A600000), pio2_2t = fromBits(0x3BA3198A2E037073);
constexpr double pio2_3 = fromBits(0x3BA3198A2E000000), pio2_3t = fromBits(0x397B839A252049C1);

// x = n * pi/2 + (hi + lo), |hi + lo| <= pi/4 (about). Returns n.
int reduce(double x, double& hi, double& lo) {
  const double fn = std::nearbyint(x * invPio2);
  const int n = static_cast<int>(fn);
  double r = x - fn * pio2_1;
  double w = fn * pio2_1t;
  hi = r - w;
  const int exponent = static_cast<int>((highWord(x) >> 20) & 0x7ff);
  if (exponent - static_cast<int>((highWord(hi) >> 20) & 0x7ff) > 16) {
    double t = r;
    w = fn * pio2_2;
    r = t - w;
    w = fn * pio2_2t - ((t - r) - w);
    hi = r - w;
    if (exponent - static_cast<int>((highWord(hi) >> 20) & 0x7ff) > 49) {
      t = r;
      w = fn * pio2_3;
      r = t - w;
      w = fn * pio2_3t - ((t - r) - w);
      hi = r - w;
    }
  }
  lo = (r - hi) - w;
  return n;
}

constexpr std::uint32_t kPiOver4High = 0x3fe921fb;
constexpr std::uint32_t kReductionLimitHigh = 0x413921fb;  // 2^20 * pi/2
constexpr std::uint32_t kTinyHigh = 0x3e400000;            // 2^-27

// Quadrant q of the sine/cosine cycle, starting at sin (q = 0) or cos (q = 1).
double cycle(double x, int offset) {
  const std::uint32_t ix = highWord(x) & 0x7fffffff;
  if (ix >= 0x7ff00000) return x - x;
  if (ix >= kReductionLimitHigh) return offset == 0 ? std::sin(x) : std::cos(x);
  double hi = x, lo = 0.0;
  int n = 0;
  if (ix > kPiOver4High) n = reduce(x, hi, lo);
  switch ((n + offset) & 3) {
    case 0:
      return sinKernel(hi, lo);
    case 1:
      return cosKernel(hi, lo);
    case 2:
      return -sinKernel(hi, lo);
    default:
      return -cosKernel(hi, lo);
  }
}

// log(1 + f) polynomial on the reduced range (Sun coefficients).
constexpr double ln2Hi = fromBits(0x3FE62E42FEE00000), ln2Lo = fromBits(0x3DEA39EF35793C76);
constexpr double Lg1 = fromBits(0x3FE5555555555593), Lg2 = fromBits(0x3FD999999997FA04),
                 Lg3 = fromBits(0x3FD2492494229359), Lg4 = fromBits(0x3FCC71C51D8E78AF),
                 Lg5 = fromBits(0x3FC7466496CB03DE), Lg6 = fromBits(0x3FC39A09D078C69F),
                 Lg7 = fromBits(0x3FC2F112DF3E5244);

}  // namespace

double stableSin(double x) {
  if ((highWord(x) & 0x7fffffff) < kTinyHigh) return x;
  return cycle(x, 0);
}

double stableCos(double x) {
  if ((highWord(x) & 0x7fffffff) < kTinyHigh) return 1.0;
  return cycle(x, 1);
}

double stableLog(double x) {
  // Outside the normal positive range the runtime's answers (NaN, -inf,
  // subnormal scaling) are exact special values and agree everywhere.
  if (!(x >= 0x1p-1022) || x > 1.7976931348623157e308) return std::log(x);
  std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  auto hx = static_cast<std::int32_t>(bits >> 32);
  int k = (hx >> 20) - 1023;
  hx &= 0x000fffff;
  // Normalise the mantissa into [sqrt(2)/2, sqrt(2)).
  const std::int32_t i = (hx + 0x95f64) & 0x100000;
  k += i >> 20;
  bits = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(hx | (i ^ 0x3ff00000))) << 32) | (bits & 0xffffffffu);
  const double f = std::bit_cast<double>(bits) - 1.0;
  const double dk = static_cast<double>(k);
  if ((0x000fffff & (2 + hx)) < 3) {  // |f| < 2^-20
    if (f == 0.0) return dk * ln2Hi + dk * ln2Lo;
    const double R = f * f * (0.5 - 0.33333333333333333 * f);
    return dk * ln2Hi - ((R - dk * ln2Lo) - f);
  }
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double w = z * z;
  const double t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
  const double t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
  const double R = t2 + t1;
  if (((hx - 0x6147a) | (0x6b851 - hx)) > 0) {
    const double hfsq = 0.5 * f * f;
    return dk * ln2Hi - ((hfsq - (s * (hfsq + R) + dk * ln2Lo)) - f);
  }
  return dk * ln2Hi - ((s * (f - R) - dk * ln2Lo) - f);
}

}  // namespace velmgen
