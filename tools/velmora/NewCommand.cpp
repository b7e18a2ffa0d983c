// `velmora new`: what the log-on runner does on Windows. Load the settings
// (reseeding the table), make a wallpaper if the log-on flag is on, and save
// them again with the next seed.
#include <iostream>

#include "Commands.h"
#include "WallpaperApply.h"
#include "platform/FileSystem.h"
#include "velmgen/DefsStore.h"
#include "velmgen/Exports.h"
#include "velmgen/Generators.h"
#include "velmgen/Library.h"
#include "velmgen/WallGen.h"

namespace velmora {
namespace {

int runNew(bool apply) {
  prepareWallpaperFolder();
  velmgen::loadLibrary();
  const std::int32_t made = doit(1);
  const velmgen::DefsStore settings = velmgen::theDefs;
  velmgen::unloadLibrary();
  const std::string path = platform::nativePath(velmgen::kWallpaperPath);
  if (made == 1) {
    std::cout << "Wrote " << path << "\n";
  } else if (settings.startup == 0) {
    std::cout << "The log-on flag is off: no new wallpaper (velmora settings --startup 1 turns it on)\n";
    return 0;
  } else if (!velmgen::settingsUsable(settings)) {
    std::cerr << "velmora: the stored settings (" << settings.size_x << " x " << settings.size_y << ", "
              << settings.colours << " colours) cannot make an image; see velmora settings\n";
    return 1;
  } else if ((settings.mode == 1 || settings.mode == 4 || settings.mode == -1) &&
             !velmgen::subdivisionAffordable(settings.size_x, settings.size_y)) {
    std::cerr << "velmora: a " << settings.size_x << " x " << settings.size_y
              << " image is refused in modes 1 and 4 (no side longer than " << velmgen::kLongestSubdividedSide
              << " pixels); nothing was written\n";
    return 1;
  } else {
    std::cerr << "velmora: cannot write " << path << "\n";
    return 1;
  }
  return apply ? applyBitmap(path, std::cout, std::cerr) : 0;
}

}  // namespace

void addNewCommand(CLI::App& app, int& status) {
  auto apply = std::make_shared<bool>(false);
  CLI::App* cmd = app.add_subcommand("new", "Make a new wallpaper from the stored settings, as at log-on");
  cmd->add_flag("--apply", *apply, "Also show it on the desktop");
  cmd->callback([apply, &status] { status = runNew(*apply); });
}

}  // namespace velmora
