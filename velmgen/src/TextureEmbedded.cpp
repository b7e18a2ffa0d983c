#include "TextureSource.h"

// Generated from textures/*.bmp.
#include "TextureData.h"

namespace velmgen {

std::span<const std::uint8_t> textureBitmap(void*, std::int32_t id) {
  switch (id) {
    case 102:
      return kTexture102;
    case 105:
      return kTexture105;
    case 107:
      return kTexture107;
    default:
      return kTexture109;
  }
}

}  // namespace velmgen
