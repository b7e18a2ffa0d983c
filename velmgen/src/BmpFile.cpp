#include "velmgen/BmpFile.h"

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"

namespace velmgen {
namespace {

void put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// Reads little-endian values; a byte past the end reads as 0xFF.
struct ByteReader {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
  std::uint8_t byte() { return at < bytes.size() ? bytes[at++] : (++at, 0xFF); }
  std::uint32_t u32() {
    std::uint32_t v = byte();
    v |= std::uint32_t{byte()} << 8;
    v |= std::uint32_t{byte()} << 16;
    v |= std::uint32_t{byte()} << 24;
    return v;
  }
};

std::int32_t usedCount(std::int32_t count) { return std::clamp(count, 0, 256); }

}  // namespace

std::array<std::uint8_t, kBmpPixelOffset> bmpHeader(const Picture& picture) {
  const std::size_t imageSize = static_cast<std::size_t>(bmpStride(picture.width)) * static_cast<std::size_t>(picture.height);
  std::array<std::uint8_t, kBmpPixelOffset> out{};
  std::uint8_t* h = out.data();
  put16(h + 0, 0x4D42);
  put32(h + 2, static_cast<std::uint32_t>(kBmpPixelOffset + imageSize));
  put32(h + 10, kBmpPixelOffset);
  put32(h + 14, 40);
  put32(h + 18, static_cast<std::uint32_t>(picture.width));
  put32(h + 22, static_cast<std::uint32_t>(picture.height));
  put16(h + 26, 1);
  put16(h + 28, 8);
  put32(h + 34, static_cast<std::uint32_t>(imageSize));
  put32(h + 46, static_cast<std::uint32_t>(picture.palette.count));
  const std::int32_t count = usedCount(picture.palette.count);
  for (std::int32_t k = 0; k < count; ++k) {
    for (int c = 0; c < 3; ++c) h[54 + 4 * k + c] = static_cast<std::uint8_t>(picture.palette.entries[k][c]);
  }
  return out;
}

std::vector<std::uint8_t> encodeBmp(const Picture& picture) {
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t height = static_cast<std::size_t>(picture.height);
  const std::size_t stride = static_cast<std::size_t>(bmpStride(picture.width));
  std::vector<std::uint8_t> out(kBmpPixelOffset + stride * height, 0);
  const auto header = bmpHeader(picture);
  std::memcpy(out.data(), header.data(), header.size());
  std::uint8_t* row = out.data() + kBmpPixelOffset;
  for (std::size_t y = 0; y < height; ++y, row += stride) {
    std::memcpy(row, picture.pixels.data() + y * width, width);
  }
  return out;
}

std::int32_t decodeBmp(Picture& picture, std::span<const std::uint8_t> bytes) {
  ByteReader in{bytes};
  std::uint32_t signature = in.byte();
  signature |= std::uint32_t{in.byte()} << 8;
  if (signature != 0x4D42) return 0;
  std::uint32_t fields[13];
  for (std::uint32_t& f : fields) f = in.u32();
  const auto width = static_cast<std::int32_t>(fields[4]);
  const auto height = static_cast<std::int32_t>(fields[5]);
  // Only the sizes the engine can make are taken: a hostile header must not
  // make us allocate without bound.
  if (width < 1 || height < 1 || std::int64_t{width} * height > kMaxPixels) return 0;
  // More than 256 colours cannot fit the palette: the table holds 256.
  picture.palette.count = usedCount(static_cast<std::int32_t>(fields[11]));
  for (std::int32_t k = 0; k < 256; ++k) {
    auto& entry = picture.palette.entries[k];
    if (k < picture.palette.count) {
      // A channel read past the end of the file is -1, not 255.
      for (std::int32_t& c : entry) c = in.at < bytes.size() ? in.byte() : (in.byte(), -1);
      in.byte();
    } else {
      entry = {0, 0, 0};
      in.at += 4;
    }
  }
  picture.width = width;
  picture.height = height;
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t stride = static_cast<std::size_t>(bmpStride(width));
  picture.pixels.assign(w * static_cast<std::size_t>(height), 0xFF);
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    const std::size_t from = in.at + y * stride;
    if (from >= bytes.size()) break;
    const std::size_t n = std::min(w, bytes.size() - from);
    std::memcpy(picture.pixels.data() + y * w, bytes.data() + from, n);
  }
  return 1;
}

std::int32_t writeBmp(const Picture& picture, std::string_view path) {
  // Streamed: the file is never held whole beside the picture.
  platform::Replacement file;
  platform::openReplacement(path, &file);
  const auto header = bmpHeader(picture);
  platform::writeReplacement(file, header);
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t height = static_cast<std::size_t>(picture.height);
  const std::size_t stride = static_cast<std::size_t>(bmpStride(picture.width));
  const std::uint8_t* pixels = picture.pixels.data();
  if (stride == width) {
    // Rows without padding are the file's bytes as they stand.
    platform::writeReplacement(file, {pixels, width * height});
  } else {
    // Padded rows go out through a buffer of whole rows.
    constexpr std::size_t kBufferBytes = std::size_t{1} << 20;
    const std::size_t rowsPerPiece = std::max<std::size_t>(1, kBufferBytes / stride);
    std::vector<std::uint8_t> buffer(std::min(rowsPerPiece, height) * stride, 0);
    for (std::size_t y = 0; y < height && file.error == platform::kErrorSuccess;) {
      const std::size_t rows = std::min(rowsPerPiece, height - y);
      for (std::size_t i = 0; i < rows; ++i) std::memcpy(buffer.data() + i * stride, pixels + (y + i) * width, width);
      platform::writeReplacement(file, {buffer.data(), rows * stride});
      y += rows;
    }
  }
  return platform::commitReplacement(file) == platform::kErrorSuccess ? 1 : 0;
}

std::int32_t readBmp(Picture& picture, std::string_view path) {
  // The header says how much to read; never more than the largest image.
  std::vector<std::uint8_t> head;
  if (platform::readFile(path, kBmpPixelOffset, &head) != platform::kErrorSuccess) return 0;
  if (head.size() >= 26) {
    std::uint32_t w, h;
    std::memcpy(&w, head.data() + 18, 4);
    std::memcpy(&h, head.data() + 22, 4);
    const auto width = static_cast<std::int32_t>(w);
    const auto height = static_cast<std::int32_t>(h);
    if (width >= 1 && height >= 1 && std::int64_t{width} * height <= kMaxPixels) {
      const std::uint64_t whole =
          kBmpPixelOffset + static_cast<std::uint64_t>(bmpStride(width)) * static_cast<std::uint64_t>(height);
      if (platform::readFile(path, whole, &head) != platform::kErrorSuccess) return 0;
    }
  }
  return decodeBmp(picture, head);
}

}  // namespace velmgen
