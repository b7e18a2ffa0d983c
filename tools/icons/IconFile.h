#pragma once
// Writes a Windows .ico file of 16-colour images (the 16 standard colours),
// one image per size, from a drawing function: pixel(size, x, y) gives the
// colour index 0..15 of (x, y), y = 0 the top row, or -1 for transparent.
// The deliverables' icon generators (make_icon.cpp beside each .ico) use it.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace icons {

// The 16 standard colours, as blue, green, red.
inline constexpr std::uint8_t kColours[16][3] = {
    {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};

inline void put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline int maskStride(int size) { return ((size + 31) / 32) * 4; }
inline std::uint32_t imageBytes(int size) { return 40 + 64 + size * size / 2 + size * maskStride(size); }

template <typename Pixel>
void putImage(std::vector<std::uint8_t>& out, int size, Pixel pixel) {
  put(out, 40, 4);
  put(out, size, 4);
  put(out, 2 * size, 4);  // colour and mask heights together
  put(out, 1, 2);
  put(out, 4, 2);
  put(out, 0, 4);
  put(out, size * size / 2 + size * maskStride(size), 4);
  put(out, 0, 4);
  put(out, 0, 4);
  put(out, 16, 4);
  put(out, 0, 4);
  for (const auto& c : kColours) out.insert(out.end(), {c[0], c[1], c[2], 0});
  for (int row = size - 1; row >= 0; --row)  // colour rows, bottom-up
    for (int x = 0; x < size; x += 2) {
      const int a = pixel(size, x, row), b = pixel(size, x + 1, row);
      out.push_back(static_cast<std::uint8_t>(((a < 0 ? 0 : a) << 4) | (b < 0 ? 0 : b)));
    }
  for (int row = size - 1; row >= 0; --row)  // mask rows: 1 = transparent
    for (int byte = 0; byte < maskStride(size); ++byte) {
      std::uint8_t m = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = byte * 8 + bit;
        m |= (x >= size || pixel(size, x, row) < 0 ? 1 : 0) << (7 - bit);
      }
      out.push_back(m);
    }
}

// 0 when the file was written, 1 otherwise.
template <typename Pixel>
int writeIconFile(const char* path, std::initializer_list<int> sizes, Pixel pixel) {
  std::vector<std::uint8_t> out;
  put(out, 0, 2);
  put(out, 1, 2);
  put(out, static_cast<std::uint32_t>(sizes.size()), 2);  // icon directory
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
  for (int size : sizes) {
    out.insert(out.end(), {static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size), 16, 0});
    put(out, 1, 2);
    put(out, 4, 2);
    put(out, imageBytes(size), 4);
    put(out, offset, 4);
    offset += imageBytes(size);
  }
  for (int size : sizes) putImage(out, size, pixel);
  std::FILE* f = std::fopen(path, "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) return 1;
  return std::fclose(f) == 0 ? 0 : 1;
}

}  // namespace icons
