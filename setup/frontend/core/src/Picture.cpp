#include "frontend/Picture.h"

#include <cstring>

namespace setup {
namespace {

std::int32_t le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool readPicture(std::span<const std::uint8_t> file, platform::BitmapInfo256* info,
                 std::span<const std::uint8_t>* rows) {
  if (file.size() < kPicturePixelsAt) return false;
  const std::int32_t width = le32(file.data() + kPictureWidthAt);
  const std::int32_t height = le32(file.data() + kPictureHeightAt);
  if (width <= 0 || height <= 0 || width > kPictureMaxSide || height > kPictureMaxSide) return false;
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 3) & ~std::uint64_t{3};
  const std::uint64_t pixels = stride * static_cast<std::uint64_t>(height);
  if (file.size() - kPicturePixelsAt < pixels) return false;

  *info = platform::BitmapInfo256{};
  info->width = width;
  info->height = height;
  for (int i = 0; i < 256; ++i) {
    std::memcpy(info->colours[i], file.data() + kPictureColoursAt + 4 * i, 3);
    info->colours[i][3] = 0;
  }
  *rows = file.subspan(kPicturePixelsAt, static_cast<std::size_t>(pixels));
  return true;
}

std::span<const std::uint8_t> entryBytes(const char* string, std::int32_t number) {
  if (!string || number < 1) return {};
  return {reinterpret_cast<const std::uint8_t*>(string), static_cast<std::size_t>(number)};
}

}  // namespace setup
