// Generators that compute every pixel directly: Gaussian noise (mode 0),
// scattered dots (mode 5) and modular rings (mode 6).
#include <cstdint>
#include <vector>

#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"

namespace velmgen {

void noiseField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = sizedPicture(w, h);
  GaussDraw gauss{rand, 0.0, 2.0};
  const double scale = static_cast<double>(defs.max_colour / 8);
  const double middle = static_cast<double>(defs.max_colour / 2);
  // Values are drawn column by column (x outer, y inner).
  const std::size_t width = static_cast<std::size_t>(w);
  for (std::int32_t x = 0; x < w; ++x) {
    std::uint8_t* p = picture.pixels.data() + x;
    for (std::int32_t y = 0; y < h; ++y, p += width) *p = storeValue(gauss.value() * scale + middle);
  }
  picture.palette.count = defs.colours;
  scatterPalette(picture.palette, rand, defs.colours);
}

void scatterDots(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y, n = defs.colours;
  GaussDraw xs{rand, static_cast<double>(w / 2), static_cast<double>(w / 8)};
  GaussDraw ys{rand, static_cast<double>(h / 2), static_cast<double>(h / 8)};
  GaussDraw vs{rand, static_cast<double>(n / 2), static_cast<double>(n / 16)};
  picture = sizedPicture(w, h);
  for (int i = 0; i < 2048; ++i) {
    const double x = xs.value();
    const double y = ys.value();
    if (0 < x && x < w && 0 < y && y < h) {
      const double v = vs.value();
      if (0 < v && v < 256) {
        const auto col = static_cast<std::size_t>(x), row = static_cast<std::size_t>(y);
        picture.pixels[row * static_cast<std::size_t>(w) + col] = storeValue(v);
      }
    }
  }
  picture.palette.count = n;
  rampPalette(picture.palette, rand, n);
}

void ringField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y, m = defs.max_colour;
  picture = sizedPicture(w, h);
  const std::int32_t ox = drawScaled(rand, w);
  const std::int32_t oy = drawScaled(rand, w);  // scaled by the width too
  // e and f are corrected once each; squares wrap as 32-bit integers.
  std::vector<std::uint32_t> eSquared(static_cast<std::size_t>(w));
  for (std::int32_t x = 0; x < w; ++x) {
    std::int32_t e = ox + x;
    if (e < 0) e += w;
    if (e > w) e -= w;
    eSquared[static_cast<std::size_t>(x)] = static_cast<std::uint32_t>(e) * static_cast<std::uint32_t>(e);
  }
  for (std::int32_t y = 0; y < h; ++y) {
    std::int32_t f = oy + y;
    if (f < 0) f += h;
    if (f > h) f -= h;
    const std::uint32_t ff = static_cast<std::uint32_t>(f) * static_cast<std::uint32_t>(f);
    std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (std::int32_t x = 0; x < w; ++x) {
      const auto sum = static_cast<std::int32_t>(eSquared[static_cast<std::size_t>(x)] + ff);
      row[x] = storeValue(sum % m);
    }
  }
  picture.palette.count = defs.colours;
  scatterPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
