#pragma once
// The wallpaper file: an uncompressed 8-bit bitmap with a 256-entry colour
// table and its pixel rows at offset 1078, rows bottom-up.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "velmgen/Picture.h"

namespace velmgen {

inline constexpr std::uint32_t kBmpPixelOffset = 1078;
// Largest image the engine makes or reads back: 2^28 pixels.
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

inline std::int64_t bmpStride(std::int32_t width) { return (static_cast<std::int64_t>(width) + 3) & ~std::int64_t{3}; }

// The file's first 1078 bytes: header and colour table.
std::array<std::uint8_t, kBmpPixelOffset> bmpHeader(const Picture& picture);

// The file's bytes for a picture.
std::vector<std::uint8_t> encodeBmp(const Picture& picture);

// Fills the picture from a file's bytes. Returns 0 (picture unchanged) on a
// wrong signature or dimensions outside 1 .. 2^28 pixels; bytes missing at
// the end read as 0xFF, as from a short file.
std::int32_t decodeBmp(Picture& picture, std::span<const std::uint8_t> bytes);

// Writes the file whole or not at all, streamed from the picture through a
// temporary file. 1 when written, 0 otherwise.
std::int32_t writeBmp(const Picture& picture, std::string_view path);

// 1 when read, 0 when the file cannot be opened or is not one of ours.
std::int32_t readBmp(Picture& picture, std::string_view path);

}  // namespace velmgen
