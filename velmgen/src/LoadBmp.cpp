// loadbmp, lastDIB and lastBITS: the wallpaper file as a bitmap section for
// the applet's preview.
#include <cstring>
#include <memory>

#include "velmgen/BmpFile.h"
#include "velmgen/Exports.h"

namespace {

// lastDIB's record stays valid until the next loadbmp; the one before it is
// kept one call longer for a caller that still holds it while it loads the
// next file. Older ones go, so loading again and again does not grow.
std::unique_ptr<platform::BitmapInfo256> headers[2];
platform::BitmapInfo256* lastHeader = nullptr;
std::uint8_t* lastBits = nullptr;

}  // namespace

extern "C" {

void* loadbmp(const char* path) {
  velmgen::Picture picture;
  velmgen::readBmp(picture, path ? path : "");  // a failed read leaves 0 x 0
  headers[1] = std::move(headers[0]);
  headers[0] = std::make_unique<platform::BitmapInfo256>();
  auto& info = *headers[0];
  lastHeader = &info;
  info.width = picture.width;
  info.height = picture.height;
  for (std::int32_t k = 0; k < picture.palette.count; ++k) {
    info.colours[k][0] = static_cast<std::uint8_t>(picture.palette.entries[k][0]);
    info.colours[k][1] = static_cast<std::uint8_t>(picture.palette.entries[k][1]);
    info.colours[k][2] = static_cast<std::uint8_t>(picture.palette.entries[k][2]);
  }
  const platform::DibSection section = platform::createDibSection(info);
  lastBits = section.bits;
  if (!section.handle) return nullptr;
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t stride = static_cast<std::size_t>(velmgen::bmpStride(picture.width));
  for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height); ++y) {
    std::memcpy(section.bits + y * stride, picture.pixels.data() + y * width, width);
  }
  return section.handle;
}

platform::BitmapInfo256* lastDIB() { return lastHeader; }

std::uint8_t* lastBITS() { return lastBits; }
}
