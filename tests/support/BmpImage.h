#pragma once
// An uncompressed 8-bit Windows bitmap file read back as colours, so tests
// can compare what a program shows on the screen with the file it shows.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace bmp {

// Colours as 0x00RRGGBB, top row first; empty when the file is not an
// uncompressed 8-bit bitmap.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> colours;
  std::uint32_t at(int x, int y) const { return colours[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

inline Image read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string b{std::istreambuf_iterator<char>(in), {}};
  Image image;
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  auto u16 = [&](std::size_t at) { return std::uint16_t(u32(at) & 0xFFFF); };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || u16(28) != 8 || u32(30) != 0) return image;
  const std::size_t pixels = u32(10), table = 14 + u32(14);
  const int width = int(u32(18)), height = int(u32(22));
  const std::size_t stride = (std::size_t(width) + 3) & ~std::size_t(3);
  if (width <= 0 || height <= 0 || pixels + stride * std::size_t(height) > b.size()) return image;
  image.width = width;
  image.height = height;
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x)
      image.colours.push_back(u32(table + 4 * std::uint8_t(b[pixels + std::size_t(y) * stride + std::size_t(x)])) &
                              0xFFFFFF);
  return image;
}

}  // namespace bmp
