// Corner-seeded rectangle subdivision (mode 1), the radial gradient (mode 3)
// and the two together (mode 4).
#include <cstdlib>

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

}  // namespace

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
  subdivide(picture, rand, defs.max_colour, 0, 0, defs.size_x - 1, defs.size_y - 1);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

void radialField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = sizedPicture(w, h);
  nextRaw(rand);  // drawn and discarded
  const double scale = static_cast<double>(defs.max_colour);
  // No draws inside: rows go in memory order.
  for (std::int32_t y = 0; y < h; ++y) {
    const double b = static_cast<double>(y - h / 2) / h;
    std::uint8_t* row = &at(picture, 0, y);
    for (std::int32_t x = 0; x < w; ++x) {
      const double a = static_cast<double>(x - w / 2) / w;
      row[x] = storeValue(stableSin(a * a + b * b) * scale);
    }
  }
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

void radialSubdivision(Picture& picture, RandTable& rand, const DefsStore& defs) {
  radialField(picture, rand, defs);
  setCorners(picture, rand, defs.colours);
  subdivide(picture, rand, defs.max_colour, 0, 0, defs.size_x - 1, defs.size_y - 1);
  picture.palette.count = defs.colours;
  rampPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
