// Generators that compute every pixel directly: Gaussian noise (mode 0),
// scattered dots (mode 5) and modular rings (mode 6).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "SideBySide.h"
#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"
#include "velmgen/StableMath.h"

namespace velmgen {
namespace {

// A Gaussian value is sqrt(-2 ln u1) * cos(u2 * 6.2831854) * sigma + mean,
// and u1 and u2 each come from one 16-bit draw: the two factors take 65536
// values each, computed once per picture.
void fillRadii(double* out) {
  for (std::int32_t d = 0; d < 65536; ++d) out[d] = std::sqrt(-2.0 * stableLog(1e-7 + static_cast<double>(d) * K1));
}
void fillAngles(double* out) {
  for (std::int32_t d = 0; d < 65536; ++d) out[d] = stableCos((1e-7 + static_cast<double>(d) * K1) * 6.2831854);
}

// Columns x0 .. x1-1 of the noise, drawing from `rand` as from the start of
// column x0: two draws a pixel, columns in turn, each from row 0 up.
void noiseColumns(Picture& p, RandTable& rand, std::int32_t x0, std::int32_t x1, const double* radii,
                  const double* angles, double scale, double middle) {
  const std::size_t w = static_cast<std::size_t>(p.width), h = static_cast<std::size_t>(p.height);
  // GaussDraw{0.0, 2.0}, its two factors looked up.
  auto value = [&](std::uint16_t d1, std::uint16_t d2) {
    return storeValue((radii[d1] * angles[d2] * 2.0 + 0.0) * scale + middle);
  };
  constexpr std::size_t kBlockColumns = 16;
  constexpr std::size_t kBlockRows = 1 << 16;
  if (h <= kBlockRows) {
    // The draws of 16 columns at a time, then the pixels row by row, so each
    // row of the picture is written 16 bytes at a time rather than one byte
    // a row apart (a 4 MB buffer at most).
    std::vector<std::uint16_t> draws(kBlockColumns * 2 * h);
    for (std::size_t x = static_cast<std::size_t>(x0); x < static_cast<std::size_t>(x1); x += kBlockColumns) {
      const std::size_t columns = std::min(kBlockColumns, static_cast<std::size_t>(x1) - x);
      draw16(rand, draws.data(), columns * 2 * h);
      for (std::size_t y = 0; y < h; ++y) {
        std::uint8_t* out = p.pixels.data() + y * w + x;
        const std::uint16_t* d = draws.data() + 2 * y;
        for (std::size_t c = 0; c < columns; ++c, d += 2 * h) out[c] = value(d[0], d[1]);
      }
    }
  } else {
    // Tall and so at most 4096 wide: column by column, its draws in pieces.
    std::vector<std::uint16_t> draws(2 * kBlockRows);
    for (std::size_t x = static_cast<std::size_t>(x0); x < static_cast<std::size_t>(x1); ++x) {
      for (std::size_t y0 = 0; y0 < h; y0 += kBlockRows) {
        const std::size_t rows = std::min(kBlockRows, h - y0);
        draw16(rand, draws.data(), 2 * rows);
        std::uint8_t* out = p.pixels.data() + y0 * w + x;
        for (std::size_t i = 0; i < rows; ++i, out += w) *out = value(draws[2 * i], draws[2 * i + 1]);
      }
    }
  }
}

}  // namespace

void noiseField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y;
  picture = sizedPicture(w, h);
  const double scale = static_cast<double>(defs.max_colour / 8);
  const double middle = static_cast<double>(defs.max_colour / 2);
  const std::int64_t pixels = std::int64_t{w} * h;
  if (pixels < kSideBySidePixels) {
    // Too few pixels to pay for the tables. Columns first (x outer, y inner).
    GaussDraw gauss{rand, 0.0, 2.0};
    const std::size_t width = static_cast<std::size_t>(w);
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint8_t* p = picture.pixels.data() + x;
      for (std::int32_t y = 0; y < h; ++y, p += width) *p = storeValue(gauss.value() * scale + middle);
    }
  } else {
    std::vector<double> radii(65536), angles(65536);
    auto radiiWork = [&] { fillRadii(radii.data()); };
    sideBySide(radiiWork, [&] { fillAngles(angles.data()); });
    // The right-hand columns start where the left-hand ones leave the table:
    // a copy moved on past their draws. Its end is the table's new state.
    const std::int32_t split = w / 2;
    RandTable right = rand;
    auto rightWork = [&] {
      skipDraws(right, std::uint64_t{2} * static_cast<std::uint64_t>(h) * static_cast<std::uint64_t>(split));
      noiseColumns(picture, right, split, w, radii.data(), angles.data(), scale, middle);
    };
    sideBySide(rightWork,
               [&] { noiseColumns(picture, rand, 0, split, radii.data(), angles.data(), scale, middle); });
    rand = right;
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

namespace {

// e (or f) for each column (or row): the offset plus the position, brought
// back once into 0 .. size (strict tests, so size itself stays).
std::int32_t corrected(std::int32_t offset, std::int32_t at, std::int32_t size) {
  std::int32_t e = offset + at;
  if (e < 0) e += size;
  if (e > size) e -= size;
  return e;
}

// Rows y0 .. y1-1 of the rings, (e^2 + f^2) rem M, columns taken 64K at a
// time so that a wide picture needs no table as wide as itself. When no sum
// reaches 2^31 (`small`) the value is the two squares' remainders added and
// brought below M once; otherwise the 32-bit sum wraps as it always has.
void ringRows(Picture& p, std::int32_t ox, std::int32_t oy, std::int32_t m, bool small, std::int32_t y0,
              std::int32_t y1, std::int32_t xa, std::int32_t xb) {
  const std::int32_t w = p.width, h = p.height;
  constexpr std::int32_t kChunk = 1 << 16;
  std::vector<std::uint32_t> eSquared(static_cast<std::size_t>(std::min(xb - xa, kChunk)));
  std::vector<std::uint8_t> eRem(eSquared.size());
  // x rem M for any 32-bit x by multiplication (M is 1 .. 255).
  const std::uint64_t inverse = ~std::uint64_t{0} / static_cast<std::uint64_t>(m) + 1;
  auto rem = [inverse, m](std::uint32_t x) {
    return static_cast<std::uint32_t>((static_cast<unsigned __int128>(inverse * x) * static_cast<std::uint32_t>(m)) >> 64);
  };
  for (std::int32_t c0 = xa; c0 < xb; c0 += kChunk) {
    const std::int32_t n = std::min(kChunk, xb - c0);
    for (std::int32_t i = 0; i < n; ++i) {
      const auto e = static_cast<std::uint32_t>(corrected(ox, c0 + i, w));
      eSquared[static_cast<std::size_t>(i)] = e * e;
      if (small) eRem[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(rem(e * e));
    }
    for (std::int32_t y = y0; y < y1; ++y) {
      const std::int32_t f = corrected(oy, y, h);
      std::uint8_t* row = p.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(c0);
      if (small) {
        const auto fRem = static_cast<std::uint8_t>((static_cast<std::int64_t>(f) * f) % m);
        const auto below = static_cast<std::uint8_t>(m - fRem);  // e rem at or above this wraps past M
        const std::uint8_t* e = eRem.data();
        for (std::int32_t x = 0; x < n; ++x) {
          const std::uint8_t r = e[x];
          row[x] = static_cast<std::uint8_t>(r >= below ? r - below : r + fRem);
        }
      } else {
        const std::uint32_t ff = static_cast<std::uint32_t>(f) * static_cast<std::uint32_t>(f);
        for (std::int32_t x = 0; x < n; ++x) {
          // The sum as a signed 32-bit number, its remainder with its sign.
          const std::uint32_t sum = eSquared[static_cast<std::size_t>(x)] + ff;
          const std::uint32_t r = sum < 0x80000000u ? rem(sum) : 0u - rem(0u - sum);
          row[x] = static_cast<std::uint8_t>(r);
        }
      }
    }
  }
}

}  // namespace

void ringField(Picture& picture, RandTable& rand, const DefsStore& defs) {
  const std::int32_t w = defs.size_x, h = defs.size_y, m = defs.max_colour;
  picture = sizedPicture(w, h);
  const std::int32_t ox = drawScaled(rand, w);
  const std::int32_t oy = drawScaled(rand, w);  // scaled by the width too
  // e and f are corrected once each; squares wrap as 32-bit integers.
  std::int64_t eMax = 0, fMax = 0;
  for (std::int32_t x = 0; x < w; ++x) eMax = std::max<std::int64_t>(eMax, corrected(ox, x, w));
  for (std::int32_t y = 0; y < h; ++y) fMax = std::max<std::int64_t>(fMax, corrected(oy, y, h));
  const bool small = eMax * eMax + fMax * fMax < (std::int64_t{1} << 31);
  if (std::int64_t{w} * h < kSideBySidePixels) {
    ringRows(picture, ox, oy, m, small, 0, h, 0, w);
  } else if (h > 1) {
    auto lower = [&] { ringRows(picture, ox, oy, m, small, 0, h / 2, 0, w); };
    sideBySide(lower, [&] { ringRows(picture, ox, oy, m, small, h / 2, h, 0, w); });
  } else {
    auto left = [&] { ringRows(picture, ox, oy, m, small, 0, 1, 0, w / 2); };
    sideBySide(left, [&] { ringRows(picture, ox, oy, m, small, 0, 1, w / 2, w); });
  }
  picture.palette.count = defs.colours;
  scatterPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
