#pragma once
// The generators that the engine makes faster, written plainly as their
// definitions read: every draw taken where it falls, every pixel computed on
// its own, one thread. The engine's bytes and its table afterwards must be
// exactly these.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"
#include "velmgen/StableMath.h"

namespace velmgen::plain {

inline std::uint8_t& at(Picture& p, std::int32_t x, std::int32_t y) {
  return p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x)];
}

inline void noiseField(Picture& p, RandTable& rand, const DefsStore& defs) {
  p = sizedPicture(defs.size_x, defs.size_y);
  GaussDraw gauss{rand, 0.0, 2.0};
  for (std::int32_t x = 0; x < defs.size_x; ++x) {
    for (std::int32_t y = 0; y < defs.size_y; ++y) {
      at(p, x, y) = storeValue(gauss.value() * static_cast<double>(defs.max_colour / 8) +
                               static_cast<double>(defs.max_colour / 2));
    }
  }
  p.palette.count = defs.colours;
  scatterPalette(p.palette, rand, defs.colours);
}

inline void corners(Picture& p, RandTable& rand, std::int32_t range) {
  at(p, 0, 0) = storeValue(drawScaled(rand, range));
  at(p, 0, p.height - 1) = storeValue(drawScaled(rand, range));
  at(p, p.width - 1, 0) = storeValue(drawScaled(rand, range));
  at(p, p.width - 1, p.height - 1) = storeValue(drawScaled(rand, range));
}

inline void subdivisionField(Picture& p, RandTable& rand, const DefsStore& defs) {
  p = sizedPicture(defs.size_x, defs.size_y);
  corners(p, rand, defs.max_colour);
  subdivide(p, rand, defs.max_colour, 0, 0, defs.size_x - 1, defs.size_y - 1);
  p.palette.count = defs.colours;
  rampPalette(p.palette, rand, defs.colours);
}

inline void growthField(Picture& p, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  p = doublePicture(w, h);
  for (int i = 0; i < 20; ++i) {
    const std::int32_t x = std::abs(nextRaw(rand) % w);
    const std::int32_t y = std::abs(nextRaw(rand) % h);
    at(p, x, y) = 1;
  }
  const std::int32_t passes = std::max(defs.colours / 8, 16), step = std::max(defs.colours / 16, 1);
  auto front = [&](std::int32_t x, std::int32_t y) {
    return readSigned(p.pixels[static_cast<std::size_t>((y + h) % h) * static_cast<std::size_t>(w) +
                               static_cast<std::size_t>((x + w) % w)]);
  };
  for (std::int32_t i = 0; i < passes; ++i) {
    for (std::int32_t x = 0; x < w; ++x) {
      for (std::int32_t y = 0; y < h; ++y) {
        const std::int32_t s = front(x - 1, y) + front(x, y - 1) + front(x, y + 1) + front(x + 1, y) +
                               front(x - 1, y - 1) + front(x - 1, y + 1) + front(x + 1, y - 1) + front(x + 1, y + 1);
        const std::int32_t c = front(x, y);
        std::int32_t n = c;
        if (s != 0) {
          n = c + step;
          if (n >= defs.max_colour) n = defs.max_colour;
          if (n < 0) n = 0;
        }
        p.back[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
            storeValue(n);
      }
    }
    swapBuffers(p);
  }
  p.palette.count = defs.colours;
  rampPalette(p.palette, rand, defs.colours);
}

inline void radialField(Picture& p, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  p = sizedPicture(w, h);
  nextRaw(rand);
  for (std::int32_t x = 0; x < w; ++x) {
    for (std::int32_t y = 0; y < h; ++y) {
      const double a = static_cast<double>(x - w / 2) / w;
      const double b = static_cast<double>(y - h / 2) / h;
      at(p, x, y) = storeValue(stableSin(a * a + b * b) * static_cast<double>(defs.max_colour));
    }
  }
  p.palette.count = defs.colours;
  rampPalette(p.palette, rand, defs.colours);
}

inline void radialSubdivision(Picture& p, RandTable& rand, const DefsStore& defs) {
  plain::radialField(p, rand, defs);
  corners(p, rand, defs.colours);
  subdivide(p, rand, defs.max_colour, 0, 0, defs.size_x - 1, defs.size_y - 1);
  p.palette.count = defs.colours;
  rampPalette(p.palette, rand, defs.colours);
}

inline void ringField(Picture& p, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  p = sizedPicture(w, h);
  const std::int32_t ox = drawScaled(rand, w), oy = drawScaled(rand, w);
  for (std::int32_t x = 0; x < w; ++x) {
    for (std::int32_t y = 0; y < h; ++y) {
      std::int32_t e = ox + x, f = oy + y;
      if (e < 0) e += w;
      if (e > w) e -= w;
      if (f < 0) f += h;
      if (f > h) f -= h;
      const auto sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(e) * static_cast<std::uint32_t>(e) +
                                                 static_cast<std::uint32_t>(f) * static_cast<std::uint32_t>(f));
      at(p, x, y) = storeValue(sum % defs.max_colour);
    }
  }
  p.palette.count = defs.colours;
  scatterPalette(p.palette, rand, defs.colours);
}

}  // namespace velmgen::plain
