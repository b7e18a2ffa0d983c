#pragma once
// The generation driver: picks the mode, runs its generator and writes the
// wallpaper file.
#include <cstdint>
#include <optional>
#include <string_view>

#include "velmgen/DefsStore.h"
#include "velmgen/Picture.h"
#include "velmgen/RandTable.h"

namespace velmgen {

inline constexpr std::string_view kWallpaperPath = "c:\\windows\\velmora.bmp";

struct WallGen {
  void* module = nullptr;          // the library's own module, for the textures
  std::optional<Picture> picture;  // the last generation's image
  std::int32_t xyValid = 1;        // 0 after a texture, which is always 128 x 128
};

// The process's generator state.
extern WallGen theWallGen;

// The mode for -1: one draw, 8192 values of it per mode.
std::int32_t pickMode(RandTable& rand);

// Runs the generator of `mode` (-1: one at random) and writes the picture to
// `path`. Returns 1 when the file was written, 0 otherwise. A mode outside
// -1 .. 7 runs no generator and writes the previous picture again, if any.
// Modes 1 and 4 on a shape whose subdivision costs more than
// kMaxSubdivisionPasses make and write nothing and return 0.
std::int32_t makeWallpaper(WallGen& gen, RandTable& rand, const DefsStore& defs, std::int32_t mode,
                           std::string_view path = kWallpaperPath);

}  // namespace velmgen
