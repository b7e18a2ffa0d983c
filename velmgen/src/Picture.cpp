#include "velmgen/Picture.h"

#include <cstddef>

namespace velmgen {

Picture sizedPicture(std::int32_t width, std::int32_t height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  return p;
}

Picture doublePicture(std::int32_t width, std::int32_t height) {
  Picture p = sizedPicture(width, height);
  p.back.assign(p.pixels.size(), 0);
  return p;
}

}  // namespace velmgen
