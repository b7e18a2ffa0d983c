// `velmora apply`: points the desktop's wallpaper at the wallpaper file.
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "DesktopWallpaper.h"
#include "platform/FileSystem.h"
#include "velmgen/WallGen.h"

namespace velmora {

void addApplyCommand(CLI::App& app, int& status) {
  CLI::App* cmd = app.add_subcommand("apply", "Point the desktop's wallpaper at the wallpaper file");
  cmd->callback([&status] {
    const std::string path = platform::nativePath(velmgen::kWallpaperPath);
    if (!std::filesystem::exists(path)) {
      std::cerr << "velmora: there is no wallpaper yet at " << path << " (make one with velmora new)\n";
      status = 1;
      return;
    }
    status = applyWallpaper(std::filesystem::absolute(path).string(), std::cout, std::cerr);
  });
}

}  // namespace velmora
