// Corner-seeded rectangle subdivision (mode 1), the radial gradient (mode 3)
// and the two together (mode 4).
#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "SideBySide.h"
#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"
#include "velmgen/StableMath.h"

namespace velmgen {
namespace {

// Scales the random part of an edge midpoint's displacement. At 0.0 the
// displacement is always minus the edge length, but the draw is still taken.
constexpr double kRoughness = 0.0;

std::uint8_t& at(Picture& p, std::int32_t x, std::int32_t y) {
  return p.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) + static_cast<std::size_t>(x)];
}

void setCorners(Picture& p, RandTable& rand, std::int32_t range) {
  const std::int32_t w = p.width - 1, h = p.height - 1;
  at(p, 0, 0) = storeValue(drawScaled(rand, range));
  at(p, 0, h) = storeValue(drawScaled(rand, range));
  at(p, w, 0) = storeValue(drawScaled(rand, range));
  at(p, w, h) = storeValue(drawScaled(rand, range));
}

// subdivide with roughness 0: every edge midpoint is lowered by exactly the
// edge's length whatever its draw, so the pixels are made without looking
// at the draws, which the caller takes (four a pass) in one go.
struct QuietSubdivision {
  std::uint8_t* pixels;
  std::size_t width;
  std::int32_t maxColour;

  std::int32_t clamped(std::int32_t v) const { return v < 1 ? 1 : v > maxColour ? maxColour : v; }
  void edge(std::int32_t va, std::int32_t vb, std::int32_t d, std::uint8_t& target) const {
    if (target == 0) target = storeValue(clamped((va + vb - d) / 2));
  }
  // One pass over the rectangle: its four edge midpoints and its centre.
  void pass(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    const std::int32_t xm = (x1 + x2) / 2;
    const std::int32_t ym = (y1 + y2) / 2;
    const std::int32_t dx = x2 - x1, dy = y2 - y1;
    std::uint8_t* low = pixels + static_cast<std::size_t>(y1) * width;
    std::uint8_t* mid = pixels + static_cast<std::size_t>(ym) * width;
    std::uint8_t* high = pixels + static_cast<std::size_t>(y2) * width;
    if (dx >= 2 && dy >= 2) {
      // No midpoint is a corner here, so the corners read once serve the
      // whole pass.
      const std::int32_t a = readSigned(low[x1]), b = readSigned(low[x2]);
      const std::int32_t c = readSigned(high[x1]), d = readSigned(high[x2]);
      edge(a, b, dx, low[xm]);   // top
      edge(b, d, dy, mid[x2]);   // right
      edge(c, d, dx, high[xm]);  // bottom
      edge(a, c, dy, mid[x1]);   // left
      mid[xm] = storeValue((c + b + a + d) / 4);
    } else {
      // A side of 0 or 1: midpoints fall on corners, each read afresh.
      edge(readSigned(low[x1]), readSigned(low[x2]), dx, low[xm]);     // top
      edge(readSigned(low[x2]), readSigned(high[x2]), dy, mid[x2]);    // right
      edge(readSigned(high[x1]), readSigned(high[x2]), dx, high[xm]);  // bottom
      edge(readSigned(low[x1]), readSigned(high[x1]), dy, mid[x1]);    // left
      const std::int32_t sum = readSigned(high[x1]) + readSigned(low[x2]) + readSigned(low[x1]) + readSigned(high[x2]);
      mid[xm] = storeValue(sum / 4);
    }
  }

  // The pass of a 2 x 1 rectangle, two thirds of all passes. Its left and
  // right midpoints are its own lower corners (written only when 0), and its
  // centre overwrites its top midpoint, which is therefore not computed.
  void twoByOne(std::int32_t x1, std::int32_t y1) const {
    std::uint8_t* low = pixels + static_cast<std::size_t>(y1) * width + x1;
    std::uint8_t* high = low + width;
    std::int32_t a = readSigned(low[0]), b = readSigned(low[2]);
    const std::int32_t c = readSigned(high[0]), d = readSigned(high[2]);
    if (b == 0) b = readSigned(low[2] = storeValue(clamped((d - 1) / 2)));  // right
    edge(c, d, 2, high[1]);                                                  // bottom
    if (a == 0) a = readSigned(low[0] = storeValue(clamped((c - 1) / 2)));  // left
    low[1] = storeValue((c + b + a + d) / 4);
  }

  // subdivide(x1, y1, x2, y2). Rectangles too small to split are passed
  // over, and those whose quarters are (sides of 2 at most: two thirds of
  // all passes are 2 x 1) get their one pass here without a call.
  void visit(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    const std::int32_t dx = x2 - x1, dy = y2 - y1;
    if (dx < 2 && dy < 2) return;
    if (dx == 2 && dy == 1) {
      twoByOne(x1, y1);
    } else if (dx == 4 && dy == 2) {
      // The next most common (one pass in seven): four 2 x 1 quarters.
      pass(x1, y1, x1 + 4, y1 + 2);
      twoByOne(x1, y1);
      twoByOne(x1 + 2, y1);
      twoByOne(x1 + 2, y1 + 1);
      twoByOne(x1, y1 + 1);
    } else if (dx == 3 && dy == 2) {
      // Two 2 x 1 quarters on the right; the two on the left are 1 x 1.
      pass(x1, y1, x1 + 3, y1 + 2);
      twoByOne(x1 + 1, y1);
      twoByOne(x1 + 1, y1 + 1);
    } else if (dx <= 2 && dy <= 2) {
      pass(x1, y1, x2, y2);
    } else {
      run(x1, y1, x2, y2);
    }
  }

  // A rectangle with a side above 2.
  void run(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    for (;;) {
      pass(x1, y1, x2, y2);
      const std::int32_t xm = (x1 + x2) / 2;
      const std::int32_t ym = (y1 + y2) / 2;
      visit(x1, y1, xm, ym);
      visit(xm, y1, x2, ym);
      visit(xm, ym, x2, y2);
      y1 = ym;  // the fourth quarter, (x1, ym) to (xm, y2), by the loop itself
      x2 = xm;
      if (x2 - x1 <= 2 && y2 - y1 <= 2) {
        visit(x1, y1, x2, y2);
        return;
      }
    }
  }
};

// The whole subdivision of modes 1 and 4 after the corners: the pixels on
// this thread, the draws skipped on another when the image is large.
void subdivideQuietly(Picture& p, RandTable& rand, std::int32_t maxColour) {
  const std::int32_t w = p.width, h = p.height;
  const std::uint64_t draws = 4 * subdivisionPasses(w, h);
  const QuietSubdivision work{p.pixels.data(), static_cast<std::size_t>(w), maxColour};
  if (std::int64_t{w} * h < kSideBySidePixels) {
    work.visit(0, 0, w - 1, h - 1);
    skipDraws(rand, draws);
    return;
  }
  auto skip = [&rand, draws] { skipDraws(rand, draws); };
  sideBySide(skip, [&] { work.visit(0, 0, w - 1, h - 1); });
}

void passesInto(std::int64_t dx, std::int64_t dy, std::map<std::pair<std::int64_t, std::int64_t>, std::uint64_t>& memo,
                std::uint64_t& out) {
  if (dx < 2 && dy < 2) {
    out = 0;
    return;
  }
  if (auto it = memo.find({dx, dy}); it != memo.end()) {
    out = it->second;
    return;
  }
  const std::int64_t lx = dx / 2, hx = dx - dx / 2, ly = dy / 2, hy = dy - dy / 2;
  std::uint64_t total = 1;
  for (auto [qx, qy] : {std::pair{lx, ly}, std::pair{hx, ly}, std::pair{hx, hy}, std::pair{lx, hy}}) {
    std::uint64_t part = 0;
    passesInto(qx, qy, memo, part);
    total = part > kPassesCeiling - total ? kPassesCeiling : total + part;
  }
  memo[{dx, dy}] = total;
  out = total;
}

}  // namespace

std::uint64_t subdivisionPasses(std::int32_t width, std::int32_t height) {
  // A quarter's sides are the halves of its parent's, rounded down for the
  // first and up for the second, whatever its place: the count depends on
  // the two sides alone, and each level has at most four kinds of quarter.
  std::map<std::pair<std::int64_t, std::int64_t>, std::uint64_t> memo;
  std::uint64_t passes = 0;
  passesInto(std::int64_t{width} - 1, std::int64_t{height} - 1, memo, passes);
  return passes;
}

bool subdivisionAffordable(std::int32_t width, std::int32_t height) {
  return subdivisionPasses(width, height) <= kMaxSubdivisionPasses;
}

std::int32_t edgeMidpoint(Picture& p, RandTable& rand, std::int32_t maxColour, std::int32_t xa, std::int32_t ya,
                          std::int32_t xt, std::int32_t yt, std::int32_t xb, std::int32_t yb) {
  const std::int32_t d = std::abs(xa - xb) + std::abs(ya - yb);
  const double r = static_cast<double>(next16(rand));
  const auto noise = static_cast<std::int32_t>(((r * K) * kRoughness) * d - d);
  std::int32_t v = (readSigned(at(p, xa, ya)) + readSigned(at(p, xb, yb)) + noise) / 2;
  if (v < 1) {
    v = 1;
  } else if (v > maxColour) {
    v = maxColour;
  }
  std::uint8_t& target = at(p, xt, yt);
  if (target == 0) target = storeValue(v);
  return v;
}

void subdivide(Picture& p, RandTable& rand, std::int32_t maxColour, std::int32_t x1, std::int32_t y1, std::int32_t x2,
               std::int32_t y2) {
  while (x2 - x1 >= 2 || y2 - y1 >= 2) {
    const std::int32_t xm = (x1 + x2) / 2;
    const std::int32_t ym = (y1 + y2) / 2;
    edgeMidpoint(p, rand, maxColour, x1, y1, xm, y1, x2, y1);  // top
    edgeMidpoint(p, rand, maxColour, x2, y1, x2, ym, x2, y2);  // right
    edgeMidpoint(p, rand, maxColour, x1, y2, xm, y2, x2, y2);  // bottom
    edgeMidpoint(p, rand, maxColour, x1, y1, x1, ym, x1, y2);  // left
    const std::int32_t sum =
        readSigned(at(p, x1, y2)) + readSigned(at(p, x2, y1)) + readSigned(at(p, x1, y1)) + readSigned(at(p, x2, y2));
    at(p, xm, ym) = storeValue(sum / 4);
    subdivide(p, rand, maxColour, x1, y1, xm, ym);
    subdivide(p, rand, maxColour, xm, y1, x2, ym);
    subdivide(p, rand, maxColour, xm, ym, x2, y2);
    y1 = ym;  // the fourth quarter, (x1, ym) to (xm, y2), by the loop itself
    x2 = xm;
  }
}

void subdivisionField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  picture = sizedPicture(defs.size_x, defs.size_y);
  setCorners(picture, rand, defs.max_colour);
  subdivideQuietly(picture, rand, defs.max_colour);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

namespace {

// Rows y0 .. y1-1 of the radial gradient, from its lower half outwards.
// sin(a^2 + b^2) depends on |x - W/2| and |y - H/2| only (a negated
// integer over W is the negated quotient), so each value is computed once
// for the rows and columns at or above the middle and copied to the mirror
// positions; only column 0 and row 0 of an even side have no mirror.
void radialRows(Picture& p, std::int32_t y0, std::int32_t y1, double scale) {
  const std::int32_t w = p.width, h = p.height;
  const std::int32_t cx = w / 2, cy = h / 2;
  auto value = [&](std::int32_t x, double bb) {
    const double a = static_cast<double>(x - cx) / w;
    return storeValue(stableSin(a * a + bb) * scale);
  };
  for (std::int32_t y = y0; y < y1; ++y) {
    const double b = static_cast<double>(y - cy) / h;
    const double bb = b * b;
    std::uint8_t* row = &at(p, 0, y);
    for (std::int32_t x = cx; x < w; ++x) row[x] = value(x, bb);
    for (std::int32_t x = w % 2 == 0 ? 1 : 0; x < cx; ++x) row[x] = row[2 * cx - x];
    if (w % 2 == 0 && cx > 0) row[0] = value(0, bb);
    // The mirror row below the middle, and row 0 of an even height.
    const std::int32_t mirror = 2 * cy - y;
    if (mirror != y && mirror >= 0) std::copy(row, row + w, &at(p, 0, mirror));
    if (h % 2 == 0 && y == y1 - 1 && y1 == h && cy > 0) {
      const double b0 = static_cast<double>(0 - cy) / h;
      std::uint8_t* first = &at(p, 0, 0);
      for (std::int32_t x = 0; x < w; ++x) first[x] = value(x, b0 * b0);
    }
  }
}

}  // namespace

void radialField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = sizedPicture(w, h);
  nextRaw(rand);  // drawn and discarded
  const double scale = static_cast<double>(defs.max_colour);
  // No draws inside: rows go in any order, the upper half split between two
  // threads on a large image.
  const std::int32_t cy = h / 2;
  if (std::int64_t{w} * h < kSideBySidePixels) {
    radialRows(picture, cy, h, scale);
  } else {
    const std::int32_t split = cy + (h - cy) / 2;
    auto upper = [&] { radialRows(picture, split, h, scale); };
    sideBySide(upper, [&] { radialRows(picture, cy, split, scale); });
  }
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

void radialSubdivision(Picture& picture, RandTable& rand, const DefsStore& defs) {
  radialField(picture, rand, defs);
  setCorners(picture, rand, defs.colours);
  subdivideQuietly(picture, rand, defs.max_colour);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
