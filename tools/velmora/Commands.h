#pragma once
// The velmora subcommands. Each adds itself to the application; when it
// runs it leaves its exit status in `status`.
#include <CLI/CLI.hpp>

namespace velmora {

void addGenerateCommand(CLI::App& app, int& status);
void addNewCommand(CLI::App& app, int& status);
void addSettingsCommand(CLI::App& app, int& status);
void addApplyCommand(CLI::App& app, int& status);
void addAutostartCommand(CLI::App& app, int& status);

// Makes sure the folder of the wallpaper file exists on this machine.
void prepareWallpaperFolder();

}  // namespace velmora
