#include "velmgen/WallGen.h"

#include "velmgen/BmpFile.h"
#include "velmgen/Generators.h"

namespace velmgen {

constinit WallGen theWallGen{};
std::int32_t pickMode(RandTable& rand) { return static_cast<std::int32_t>(static_cast<double>(next16(rand)) * K8); }

std::int32_t makeWallpaper(WallGen& gen, RandTable& rand, const DefsStore& defs, std::int32_t mode,
                           std::string_view path) {
  if (mode == -1) mode = pickMode(rand);
  // A subdivision that would not finish in seconds is not started: nothing
  // is made or written, and the last picture stays.
  if ((mode == 1 || mode == 4) && !subdivisionAffordable(defs.size_x, defs.size_y)) return 0;
  gen.xyValid = 1;
  if (mode >= 0 && mode <= 7) {
    Picture& picture = gen.picture.emplace();
    switch (mode) {
      case 0:
        noiseField(picture, rand, defs);
        break;
      case 1:
        subdivisionField(picture, rand, defs);
        break;
      case 2:
        growthField(picture, rand, defs);
        break;
      case 3:
        radialField(picture, rand, defs);
        break;
      case 4:
        radialSubdivision(picture, rand, defs);
        break;
      case 5:
        scatterDots(picture, rand, defs);
        break;
      case 6:
        ringField(picture, rand, defs);
        break;
      default:
        textureField(picture, rand, defs, gen.module);
        gen.xyValid = 0;
        break;
    }
  }
  // An unknown mode (hand-edited registry) writes the last picture again;
  // with none yet there is nothing to write.
  if (!gen.picture) return 0;
  return writeBmp(*gen.picture, path);
}

}  // namespace velmgen
