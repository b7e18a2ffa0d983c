#include "velmgen/PaletteBuilders.h"

#include <cmath>

namespace velmgen {

void rampPalette(Palette& palette, RandTable& rand, std::int32_t colours) {
  const double bound = colours < 64 ? 9.0 : colours < 128 ? 6.0 : 3.0;
  double value[3], step[3];
  for (double& a : value) a = drawByte(rand);
  for (double& s : step) s = UniformDraw{rand, -bound, bound}.value();
  for (std::int32_t k = 0; k < palette.count; ++k) {
    for (int c = 0; c < 3; ++c) {
      if (value[c] < 3.0 || value[c] > 252.0) step[c] = -step[c];
      value[c] += step[c];
      palette.entries[k][c] = static_cast<std::int32_t>(value[c]);
    }
  }
}

void scatterPalette(Palette& palette, RandTable& rand, std::int32_t colours) {
  const double sigma = static_cast<double>(colours / 8);
  double centre[3];
  for (double& m : centre) m = drawByte(rand);
  for (std::int32_t k = 0; k < palette.count; ++k) {
    for (int c = 0; c < 3; ++c) {
      double v = GaussDraw{rand, centre[c], sigma}.value();
      if (v < 0) v = std::trunc(std::fabs(v));
      if (v > 256.0) v -= 256.0;
      palette.entries[k][c] = static_cast<std::int32_t>(v);
    }
  }
}

}  // namespace velmgen
