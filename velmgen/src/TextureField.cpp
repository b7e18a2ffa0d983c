// A built-in 128 x 128 texture, its pixel values rescaled to the palette
// (mode 7).
#include <cstring>

#include "TextureSource.h"
#include "velmgen/Generators.h"
#include "velmgen/PaletteBuilders.h"

namespace velmgen {

std::int32_t loadTexture(Picture& picture, void* module, std::int32_t id) {
  // The resource is a packed bitmap: 40-byte header, 256-entry colour table,
  // then the 8-bit rows bottom-up. Only the stored pixel values are taken.
  const std::span<const std::uint8_t> dib = textureBitmap(module, id);
  std::int32_t width = 0, height = 0;
  std::memcpy(&width, dib.data() + 4, 4);
  std::memcpy(&height, dib.data() + 8, 4);
  picture.width = width;
  picture.height = height;
  picture.palette.count = 256;
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  picture.pixels.assign(dib.begin() + 40 + 1024, dib.begin() + 40 + 1024 + static_cast<std::ptrdiff_t>(size));
  return 1;
}

void textureField(Picture& picture, RandTable& rand, const DefsStore& defs, void* module) {
  picture = Picture{};
  const double u = static_cast<double>(next16(rand)) * K;
  const std::int32_t id = u < 0.25 ? 102 : u < 0.5 ? 105 : u < 0.75 ? 109 : 107;
  loadTexture(picture, module, id);
  const double k = static_cast<double>(defs.max_colour) * K255i;
  for (std::uint8_t& p : picture.pixels) p = storeValue(static_cast<double>(p) * k);
  picture.palette.count = defs.colours;
  const double w = static_cast<double>(next16(rand)) * K;
  if (w < 0.5) {
    scatterPalette(picture.palette, rand, defs.colours);
  } else {
    rampPalette(picture.palette, rand, defs.colours);
  }
}

}  // namespace velmgen
