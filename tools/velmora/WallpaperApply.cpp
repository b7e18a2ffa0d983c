#include "WallpaperApply.h"

#include <filesystem>

#include "DesktopWallpaper.h"
#include "ScreenSize.h"
#include "WallpaperCopies.h"
#include "WallpaperPng.h"
#include "velmgen/BmpFile.h"

namespace velmora {
namespace {

// The smallest screen in use today; when the screen cannot be asked, a
// picture smaller than this is tiled.
constexpr int kSmallestScreenWidth = 640;
constexpr int kSmallestScreenHeight = 480;

Fit fitFor(const velmgen::Picture& picture) {
  const auto screen = primaryScreen(nullptr);
  const int width = screen ? screen->width : kSmallestScreenWidth;
  const int height = screen ? screen->height : kSmallestScreenHeight;
  return picture.width < width || picture.height < height ? Fit::Tile : Fit::Fill;
}

}  // namespace

int applyBitmap(const std::string& bitmapPath, std::ostream& out, std::ostream& err) {
  namespace fs = std::filesystem;
  const fs::path bitmap = fs::absolute(bitmapPath);
  velmgen::Picture picture;
  if (velmgen::readBmp(picture, bitmap.string()) != 1 || picture.width <= 0 || picture.height <= 0) {
    err << "velmora: cannot read the wallpaper file " << bitmap.string() << "\n";
    return 1;
  }
  const fs::path folder = bitmap.parent_path();
  const fs::path copy = nextCopyPath(folder);
  std::string why;
  if (!writePng(picture, copy.string(), &why)) {
    err << "velmora: cannot write " << copy.string() << ": " << why << "\n";
    return 1;
  }
  const int status = applyWallpaper(copy.string(), fitFor(picture), out, err);
  if (status != 0) {
    // No desktop shows it: it goes, and the copies in use stay.
    std::error_code ignored;
    fs::remove(copy, ignored);
    return status;
  }
  keepNewestCopies(folder, 2);
  return 0;
}

}  // namespace velmora
