#pragma once
// An 8-bit indexed image and its palette of up to 256 colours.
#include <array>
#include <cstdint>
#include <vector>

namespace velmgen {

struct Palette {
  std::int32_t count = 256;
  // c1, c2, c3: blue, green and red in the bitmap file (low 8 bits written).
  std::array<std::array<std::int32_t, 3>, 256> entries{};
};

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  Palette palette;
  std::vector<std::uint8_t> pixels;  // row y at y * width, row 0 the bottom row
  std::vector<std::uint8_t> back;    // second buffer of the growth generator
};

Picture sizedPicture(std::int32_t width, std::int32_t height);
Picture doublePicture(std::int32_t width, std::int32_t height);
inline void swapBuffers(Picture& p) { p.pixels.swap(p.back); }

// A generator's double or integer result as a pixel: truncated toward zero
// through 64 bits, low 8 bits kept (-3 becomes 253, 258 becomes 2).
inline std::uint8_t storeValue(double v) { return static_cast<std::uint8_t>(static_cast<std::int64_t>(v)); }
inline std::uint8_t storeValue(std::int32_t v) { return static_cast<std::uint8_t>(v); }

// Pixels read back by the subdivision and growth generators are signed.
inline std::int32_t readSigned(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }

}  // namespace velmgen
