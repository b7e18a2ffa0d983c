#include "TextureSource.h"

#include "platform/Resources.h"

namespace velmgen {

std::span<const std::uint8_t> textureBitmap(void* module, std::int32_t id) {
  return platform::bitmapResource(module, id);
}

}  // namespace velmgen
