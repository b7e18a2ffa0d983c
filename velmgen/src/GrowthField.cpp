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

// Columns x0 .. x1-1 of one row.
struct Span {
  std::int32_t y, x0, x1;
};

// The intervals [from - reach, from + reach] of 0 .. size-1, wrapping at the
// ends, as half-open pieces.
void wrappedRange(std::int32_t from, std::int32_t reach, std::int32_t size, std::vector<std::pair<std::int32_t, std::int32_t>>& out) {
  out.clear();
  if (std::int64_t{2} * reach + 1 >= size) {
    out.emplace_back(0, size);
    return;
  }
  const std::int32_t lo = from - reach, hi = from + reach + 1;
  if (lo < 0) {
    out.emplace_back(0, hi);
    out.emplace_back(size + lo, size);
  } else if (hi > size) {
    out.emplace_back(lo, size);
    out.emplace_back(0, hi - size);
  } else {
    out.emplace_back(lo, hi);
  }
}

// Growth moves one pixel a pass in every direction, so after `reach` passes
// only pixels within `reach` of a seed point (across the wrapped edges) can
// be other than 0. These are the row spans that hold them, sorted and
// merged; the rest of the picture stays 0 in both buffers.
std::vector<Span> reachableSpans(const std::vector<std::pair<std::int32_t, std::int32_t>>& seeds, std::int32_t reach,
                                 std::int32_t w, std::int32_t h) {
  std::vector<Span> spans;
  std::vector<std::pair<std::int32_t, std::int32_t>> rows, columns;
  for (auto [sx, sy] : seeds) {
    wrappedRange(sy, reach, h, rows);
    wrappedRange(sx, reach, w, columns);
    for (auto [y0, y1] : rows) {
      for (std::int32_t y = y0; y < y1; ++y) {
        for (auto [x0, x1] : columns) spans.push_back({y, x0, x1});
      }
    }
  }
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
  std::vector<Span> merged;
  for (const Span& s : spans) {
    if (!merged.empty() && merged.back().y == s.y && s.x0 <= merged.back().x1) {
      merged.back().x1 = std::max(merged.back().x1, s.x1);
    } else {
      merged.push_back(s);
    }
  }
  return merged;
}

// One simultaneous pass over the spans: reads the front buffer, writes the
// back buffer. Each pixel's update depends only on the front buffer, so the
// order of the pixels does not matter.
void growPass(Picture& p, const std::vector<Span>& spans, std::int32_t step, std::int32_t maxColour) {
  const std::size_t w = static_cast<std::size_t>(p.width);
  const std::size_t h = static_cast<std::size_t>(p.height);
  const std::int8_t* front = reinterpret_cast<const std::int8_t*>(p.pixels.data());
  std::uint8_t* back = p.back.data();
  for (const Span& span : spans) {
    const std::size_t y = static_cast<std::size_t>(span.y);
    const std::int8_t* up = front + ((y + h - 1) % h) * w;  // row y-1, wrapped
    const std::int8_t* mid = front + y * w;
    const std::int8_t* down = front + ((y + 1) % h) * w;  // row y+1, wrapped
    std::uint8_t* out = back + y * w;
    auto wrapped = [&](std::size_t x) {
      const std::size_t l = x == 0 ? w - 1 : x - 1;
      const std::size_t r = x + 1 == w ? 0 : x + 1;
      const std::int32_t s = mid[l] + mid[r] + up[l] + up[x] + up[r] + down[l] + down[x] + down[r];
      out[x] = grown(mid[x], s, step, maxColour);
    };
    std::size_t x = static_cast<std::size_t>(span.x0);
    const std::size_t end = static_cast<std::size_t>(span.x1);
    if (x == 0 && x < end) wrapped(x++);
    const std::size_t inner = std::min(end, w - 1);
    for (; x < inner; ++x) {
      const std::int32_t s =
          mid[x - 1] + mid[x + 1] + up[x - 1] + up[x] + up[x + 1] + down[x - 1] + down[x] + down[x + 1];
      out[x] = grown(mid[x], s, step, maxColour);
    }
    for (; x < end; ++x) wrapped(x);
  }
  swapBuffers(p);
}

}  // namespace

void growthField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = doublePicture(w, h);
  std::vector<std::pair<std::int32_t, std::int32_t>> seeds;
  for (int i = 0; i < kSeedPoints; ++i) {
    const std::int32_t x = std::abs(nextRaw(rand) % w);
    const std::int32_t y = std::abs(nextRaw(rand) % h);
    picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = 1;
    seeds.emplace_back(x, y);
  }
  const std::int32_t passes = std::max(defs.colours / 8, 16);
  const std::int32_t step = std::max(defs.colours / 16, 1);
  const std::vector<Span> spans = reachableSpans(seeds, passes, w, h);
  for (std::int32_t i = 0; i < passes; ++i) growPass(picture, spans, step, defs.max_colour);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
