// Growth spreading from 20 seed points over an image that wraps at its edges
// (mode 2).
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"

namespace velmgen {
namespace {

constexpr int kSeedPoints = 20;

// The new value of one pixel from its eight neighbours' sum.
inline std::uint8_t grown(std::int32_t c, std::int32_t s, std::int32_t step, std::int32_t maxColour) {
  if (s == 0) return storeValue(c);
  std::int32_t n = c + step;
  if (n >= maxColour) n = maxColour;
  if (n < 0) n = 0;
  return storeValue(n);
}

// One simultaneous pass: reads the front buffer, writes the back buffer.
// Each pixel's update depends only on the front buffer, so rows are visited
// in memory order; the wrapped first and last columns are done apart so the
// inner loop has no branches on the position.
void growPass(Picture& p, std::int32_t step, std::int32_t maxColour) {
  const std::size_t w = static_cast<std::size_t>(p.width);
  const std::size_t h = static_cast<std::size_t>(p.height);
  const std::int8_t* front = reinterpret_cast<const std::int8_t*>(p.pixels.data());
  std::uint8_t* back = p.back.data();
  for (std::size_t y = 0; y < h; ++y) {
    const std::int8_t* up = front + ((y + h - 1) % h) * w;  // row y-1, wrapped
    const std::int8_t* mid = front + y * w;
    const std::int8_t* down = front + ((y + 1) % h) * w;  // row y+1, wrapped
    std::uint8_t* out = back + y * w;
    auto edge = [&](std::size_t x) {
      const std::size_t l = x == 0 ? w - 1 : x - 1;
      const std::size_t r = x + 1 == w ? 0 : x + 1;
      const std::int32_t s = mid[l] + mid[r] + up[l] + up[x] + up[r] + down[l] + down[x] + down[r];
      out[x] = grown(mid[x], s, step, maxColour);
    };
    edge(0);
    for (std::size_t x = 1; x + 1 < w; ++x) {
      const std::int32_t s =
          mid[x - 1] + mid[x + 1] + up[x - 1] + up[x] + up[x + 1] + down[x - 1] + down[x] + down[x + 1];
      out[x] = grown(mid[x], s, step, maxColour);
    }
    if (w > 1) edge(w - 1);
  }
  swapBuffers(p);
}

}  // namespace

void growthField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = doublePicture(w, h);
  for (int i = 0; i < kSeedPoints; ++i) {
    const std::int32_t x = std::abs(nextRaw(rand) % w);
    const std::int32_t y = std::abs(nextRaw(rand) % h);
    picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = 1;
  }
  const std::int32_t passes = std::max(defs.colours / 8, 16);
  const std::int32_t step = std::max(defs.colours / 16, 1);
  for (std::int32_t i = 0; i < passes; ++i) growPass(picture, step, defs.max_colour);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
