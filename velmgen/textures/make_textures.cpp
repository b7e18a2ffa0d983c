// Draws the four built-in 128 x 128 textures and writes them as packed
// 8-bit bitmaps (40-byte header, 1024-byte colour table, 16384 pixel bytes)
// into the directory given on the command line:
//   102  grey marble
//   105  brown parquet tile, a pinwheel of strips
//   107  light parquet tile, strips radiating from the centre
//   109  dark parquet tile, a star-and-diamond pattern
// The engine takes only the pixel values and rescales them to its palette,
// so each texture spreads its values over 0 .. 255; the shared colour table
// (black through browns to cream) is for looking at them.
//
// Build and run by hand when the textures are to change:
//   g++ -std=c++20 -O2 make_textures.cpp -o /tmp/make_textures && /tmp/make_textures .
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int N = 128;
using Field = std::array<std::array<double, N>, N>;  // [y][x], y = 0 the bottom row
constexpr double kPi = 3.14159265358979323846;

// Deterministic lattice noise that tiles with period N.
double lattice(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(((x % N) + N) % N) * 374761393u +
                    static_cast<std::uint32_t>(((y % N) + N) % N) * 668265263u + static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double smoothNoise(double x, double y, int cell, int seed) {
  const double fx = x / cell, fy = y / cell;
  const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  auto at = [&](int i, int j) { return lattice(i * cell, j * cell, seed); };
  const double a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
  const double b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}

double turbulence(double x, double y, int seed) {
  double sum = 0, weight = 0.5;
  for (int cell = 32; cell >= 4; cell /= 2, weight *= 0.5) sum += weight * smoothNoise(x, y, cell, seed);
  return sum;
}

// Wood grain along a strip: fine lines across `along`, varied by noise.
double grain(double along, double across, int seed) {
  return 0.5 + 0.5 * std::sin(across * 1.9 + 3.0 * turbulence(along * 0.25, across * 2, seed));
}

Field marble() {
  Field f{};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const double t = (x + y) * 2 * kPi / N * 2 + 9.0 * turbulence(x, y, 7);
      f[y][x] = std::pow(std::fabs(std::sin(t)), 0.35) * 0.85 + 0.15 * smoothNoise(x, y, 4, 3);
    }
  return f;
}

// Four strips blocks turning about the centre; each block's strips run at a
// right angle to its neighbours'.
Field pinwheel() {
  Field f{};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      int block, along, across;
      if (x < 96 && y < 32) { block = 0; along = x; across = y; }
      else if (x >= 96 && y < 96) { block = 1; along = y; across = x - 96; }
      else if (x >= 32 && y >= 96) { block = 2; along = x; across = y - 96; }
      else if (x < 32 && y >= 32) { block = 3; along = y; across = x; }
      else { block = 4; along = x; across = y; }  // the centre square
      const int strip = across / 8;
      const bool edge = across % 8 == 0 || (block != 4 && along % 48 == 0);
      const double tone = 0.35 + 0.12 * ((strip + block) % 3) + 0.4 * grain(along, across, block * 11 + strip);
      f[y][x] = edge ? 0.05 : tone;
    }
  return f;
}

// Strips radiating from the centre: each of 16 sectors is one strip.
Field radiating() {
  Field f{};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const double dx = x + 0.5 - N / 2.0, dy = y + 0.5 - N / 2.0;
      const double angle = std::atan2(dy, dx) + kPi;
      const double sector = angle / (2 * kPi) * 16;
      const int strip = static_cast<int>(sector) % 16;
      const double frac = sector - std::floor(sector);
      const double radius = std::sqrt(dx * dx + dy * dy);
      const bool seam = frac < 0.06 || radius < 6 || std::fabs(radius - 58) < 1.2;
      const double tone = 0.6 + 0.08 * (strip % 2) + 0.3 * grain(radius, frac * 24, strip);
      f[y][x] = seam ? 0.25 : tone;
    }
  return f;
}

// An eight-pointed star inside a diamond, on dark strips.
Field starDiamond() {
  Field f{};
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const double dx = x + 0.5 - N / 2.0, dy = y + 0.5 - N / 2.0;
      const double diamond = std::fabs(dx) + std::fabs(dy);
      const double r = std::sqrt(dx * dx + dy * dy);
      const double angle = std::atan2(dy, dx);
      const double star = 34 + 20 * std::fabs(std::cos(4 * angle));  // eight points
      double tone;
      if (r < star * 0.55) tone = 0.55 + 0.3 * grain(r, angle * 20, 5);                   // star heart
      else if (r < star) tone = 0.35 + 0.3 * grain(dx + dy, dx - dy, 6);                  // star points
      else if (diamond < 62) tone = 0.12 + 0.25 * grain(dx - dy, (dx + dy) * 0.5, 8);      // diamond
      else tone = 0.05 + 0.2 * grain(x, y * 0.5, 9);                                      // corners
      const bool line = std::fabs(r - star) < 1.0 || std::fabs(diamond - 62) < 1.0;
      f[y][x] = line ? 0.0 : tone;
    }
  return f;
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool write(const std::string& path, const Field& f) {
  std::vector<std::uint8_t> out(40 + 1024 + N * N, 0);
  put32(out, 0, 40);
  put32(out, 4, N);
  put32(out, 8, N);
  out[12] = 1;  // planes
  out[14] = 8;  // bits per pixel
  put32(out, 20, N * N);
  put32(out, 32, 256);
  for (int k = 0; k < 256; ++k) {  // black, browns, cream: blue, green, red, 0
    const double t = k / 255.0;
    out[40 + 4 * k + 0] = static_cast<std::uint8_t>(std::lround(230 * std::pow(t, 1.6)));
    out[40 + 4 * k + 1] = static_cast<std::uint8_t>(std::lround(240 * std::pow(t, 1.15)));
    out[40 + 4 * k + 2] = static_cast<std::uint8_t>(std::lround(250 * std::pow(t, 0.8)));
  }
  double lo = 1e9, hi = -1e9;
  for (const auto& row : f)
    for (double v : row) lo = std::min(lo, v), hi = std::max(hi, v);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x)
      out[40 + 1024 + y * N + x] = static_cast<std::uint8_t>(std::lround((f[y][x] - lo) / (hi - lo) * 255));
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const bool ok = write(dir + "/102.bmp", marble()) && write(dir + "/105.bmp", pinwheel()) &&
                  write(dir + "/107.bmp", radiating()) && write(dir + "/109.bmp", starDiamond());
  if (!ok) std::fprintf(stderr, "make_textures: cannot write into %s\n", dir.c_str());
  return ok ? 0 : 1;
}
