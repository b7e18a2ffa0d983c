// Generators that compute every pixel directly: Gaussian noise (mode 0),
// scattered dots (mode 5) and modular rings (mode 6).
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
  std::vector<std::uint16_t> draws(2 * h);
  for (std::int32_t x = x0; x < x1; ++x) {
    draw16(rand, draws.data(), draws.size());
    std::uint8_t* out = p.pixels.data() + x;
    for (std::size_t y = 0; y < h; ++y, out += w) {
      // GaussDraw{0.0, 2.0}, its two factors looked up.
      const double g = radii[draws[2 * y]] * angles[draws[2 * y + 1]] * 2.0 + 0.0;
      *out = storeValue(g * scale + middle);
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

// Rows y0 .. y1-1 of the rings, (e^2 + f^2) rem M with 32-bit squares that
// wrap: the value as the engine has always computed it.
void ringRowsWrapping(Picture& p, const std::vector<std::uint32_t>& eSquared, std::int32_t oy, std::int32_t m,
                      std::int32_t y0, std::int32_t y1) {
  const std::int32_t w = p.width, h = p.height;
  for (std::int32_t y = y0; y < y1; ++y) {
    const std::int32_t f = corrected(oy, y, h);
    const std::uint32_t ff = static_cast<std::uint32_t>(f) * static_cast<std::uint32_t>(f);
    std::uint8_t* row = p.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (std::int32_t x = 0; x < w; ++x) {
      const auto sum = static_cast<std::int32_t>(eSquared[static_cast<std::size_t>(x)] + ff);
      row[x] = storeValue(sum % m);
    }
  }
}

// The same rows when no sum reaches 2^31: then (e^2 + f^2) rem M is the sum
// of the two squares' remainders, brought below M once.
void ringRowsSmall(Picture& p, const std::vector<std::uint8_t>& eRem, std::int32_t oy, std::int32_t m, std::int32_t y0,
                   std::int32_t y1) {
  const std::int32_t w = p.width, h = p.height;
  for (std::int32_t y = y0; y < y1; ++y) {
    const std::int32_t f = corrected(oy, y, h);
    const auto fRem = static_cast<std::uint8_t>((static_cast<std::int64_t>(f) * f) % m);
    const auto below = static_cast<std::uint8_t>(m - fRem);  // e rem at or above this wraps past M
    std::uint8_t* row = p.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    const std::uint8_t* e = eRem.data();
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint8_t r = e[x];
      row[x] = static_cast<std::uint8_t>(r >= below ? r - below : r + fRem);
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
  std::vector<std::uint32_t> eSquared(static_cast<std::size_t>(w));
  for (std::int32_t x = 0; x < w; ++x) {
    const std::int32_t e = corrected(ox, x, w);
    eMax = std::max<std::int64_t>(eMax, std::abs(std::int64_t{e}));
    eSquared[static_cast<std::size_t>(x)] = static_cast<std::uint32_t>(e) * static_cast<std::uint32_t>(e);
  }
  for (std::int32_t y = 0; y < h; ++y) fMax = std::max<std::int64_t>(fMax, std::abs(std::int64_t{corrected(oy, y, h)}));
  const bool small = eMax * eMax + fMax * fMax < (std::int64_t{1} << 31) && m <= 255;
  std::vector<std::uint8_t> eRem;
  if (small) {
    eRem.resize(static_cast<std::size_t>(w));
    for (std::size_t x = 0; x < eRem.size(); ++x) eRem[x] = static_cast<std::uint8_t>(eSquared[x] % static_cast<std::uint32_t>(m));
  }
  auto rows = [&](std::int32_t y0, std::int32_t y1) {
    if (small) {
      ringRowsSmall(picture, eRem, oy, m, y0, y1);
    } else {
      ringRowsWrapping(picture, eSquared, oy, m, y0, y1);
    }
  };
  if (std::int64_t{w} * h < kSideBySidePixels) {
    rows(0, h);
  } else {
    auto lower = [&] { rows(0, h / 2); };
    sideBySide(lower, [&] { rows(h / 2, h); });
  }
  picture.palette.count = defs.colours;
  scatterPalette(picture.palette, rand, defs.colours);
}

}  // namespace velmgen
