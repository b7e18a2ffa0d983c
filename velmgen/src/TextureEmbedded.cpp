#include "TextureSource.h"
#include "TextureData.h"  // generated from textures/*.bmp

namespace velmgen {

std::span<const std::uint8_t> textureBitmap(void*, std::int32_t id) {
  switch (id) {
    case 102: return kTexture102;
    case 105: return kTexture105;
    case 107: return kTexture107;
    default: return kTexture109;
  }
}

}  // namespace velmgen
