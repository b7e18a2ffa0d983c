// `velmora apply`: shows the wallpaper file on the desktop.
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "WallpaperApply.h"
#include "platform/FileSystem.h"
#include "velmgen/WallGen.h"

namespace velmora {

void addApplyCommand(CLI::App& app, int& status) {
  CLI::App* cmd = app.add_subcommand("apply", "Show the wallpaper file on the desktop");
  cmd->callback([&status] {
    const std::string path = platform::nativePath(velmgen::kWallpaperPath);
    if (!std::filesystem::exists(path)) {
      std::cerr << "velmora: there is no wallpaper yet at " << path << " (make one with velmora new)\n";
      status = 1;
      return;
    }
    status = applyBitmap(path, std::cout, std::cerr);
  });
}

}  // namespace velmora
