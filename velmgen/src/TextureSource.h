#pragma once
// Where the built-in textures' packed bitmaps come from: the module's bitmap
// resources on Windows, data compiled into the library elsewhere.
#include <cstdint>
#include <span>

namespace velmgen {

std::span<const std::uint8_t> textureBitmap(void* module, std::int32_t id);

}  // namespace velmgen
