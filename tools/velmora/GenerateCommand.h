#pragma once
// `velmora generate`: one wallpaper from explicit settings and a seed.
#include <CLI/CLI.hpp>

namespace velmora {

// The command's exit status is left in `status` when it runs.
void addGenerateCommand(CLI::App& app, int& status);

}  // namespace velmora
