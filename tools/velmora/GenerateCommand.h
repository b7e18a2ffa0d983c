#pragma once
// `velmora generate`: one wallpaper from explicit settings and a seed.
#include <CLI/CLI.hpp>

namespace velmora {

void addGenerateCommand(CLI::App& app);

}  // namespace velmora
