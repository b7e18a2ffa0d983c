#include "Commands.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "velmgen/BmpFile.h"
#include "velmgen/ClockSeed.h"
#include "velmgen/Generators.h"
#include "velmgen/WallGen.h"

namespace velmora {
namespace {

struct GenerateOptions {
  std::int32_t mode = -1;
  std::int32_t width = 64;
  std::int32_t height = 64;
  std::int32_t colours = 256;
  std::int32_t seed = velmgen::clockSeed();
  std::string output;
};

int runGenerate(const GenerateOptions& o) {
  // The range checks come before anything is allocated or written.
  if (std::int64_t{o.width} * o.height > velmgen::kMaxPixels) {
    std::cerr << "velmora: the image would have " << std::int64_t{o.width} * o.height
              << " pixels; at most 268435456 (2^28) are allowed\n";
    return 2;
  }
  // The random source exactly as the library builds it at load, then one
  // reseed with the chosen seed.
  velmgen::RandTable& rand = velmgen::theRand;
  velmgen::randInit(rand, velmgen::kInitialSeed, velmgen::kInitialModulus);
  velmgen::reseed(rand, o.seed);

  // So is the subdivision's cost, with the mode that -1 will pick.
  velmgen::RandTable peek = rand;
  const std::int32_t mode = o.mode == -1 ? velmgen::pickMode(peek) : o.mode;
  if ((mode == 1 || mode == 4) && !velmgen::subdivisionAffordable(o.width, o.height)) {
    std::cerr << "velmora: a " << o.width << " x " << o.height << " image in mode " << mode << " needs "
              << velmgen::subdivisionPasses(o.width, o.height) << " subdivision passes; at most "
              << velmgen::kMaxSubdivisionPasses << " are made (no side longer than "
              << velmgen::kLongestSubdividedSide << " pixels in modes 1 and 4)\n";
    return 2;
  }

  std::string path = o.output;
  if (path.empty()) {
    path = std::string(velmgen::kWallpaperPath);
    prepareWallpaperFolder();
  }
  velmgen::DefsStore defs;
  defs.size_x = o.width;
  defs.size_y = o.height;
  defs.colours = o.colours;
  defs.max_colour = o.colours - 1;
  defs.mode = o.mode;
  defs.seed = o.seed;
  velmgen::WallGen gen;
  if (velmgen::makeWallpaper(gen, rand, defs, o.mode, path) != 1) {
    std::cerr << "velmora: cannot write " << platform::nativePath(path) << "\n";
    return 1;
  }
  const velmgen::Picture& p = *gen.picture;
  std::cout << "Wrote " << platform::nativePath(path) << " (" << p.width << " x " << p.height << ", " << o.colours
            << " colours, seed " << o.seed << ")\n";
  return 0;
}

}  // namespace

void prepareWallpaperFolder() {
  std::error_code ignored;
  std::filesystem::create_directories(
      std::filesystem::path(platform::nativePath(velmgen::kWallpaperPath)).parent_path(), ignored);
}

void addGenerateCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<GenerateOptions>();
  CLI::App* cmd = app.add_subcommand("generate", "Make one wallpaper from the given settings and seed");
  cmd->add_option("--mode", options->mode, "Pattern 0..7, or -1 for one at random")
      ->check(CLI::Range(-1, 7))
      ->capture_default_str();
  cmd->add_option("--width", options->width, "Width in pixels")->check(CLI::Range(1, INT32_MAX))->capture_default_str();
  cmd->add_option("--height", options->height, "Height in pixels")
      ->check(CLI::Range(1, INT32_MAX))
      ->capture_default_str();
  cmd->add_option("--colours,--colors", options->colours, "Palette size, 2..256")
      ->check(CLI::Range(2, 256))
      ->capture_default_str();
  cmd->add_option("--seed", options->seed, "Seed of the random source (default: from the clock)");
  cmd->add_option("--output", options->output, "File to write (default: the wallpaper file)");
  cmd->footer(
      "Modes 1 and 4 subdivide the picture, at a cost of about a third of the longer side squared whatever the "
      "shorter side. A picture that would need more than 2^28 passes, that is one with a side longer than " +
      std::to_string(velmgen::kLongestSubdividedSide) +
      " pixels, is refused in these modes with a one-line error and nothing written (mode -1 refuses it when it "
      "picks 1 or 4). Every other shape up to 2^28 pixels is made in a few seconds at most.");
  cmd->callback([options, &status] { status = runGenerate(*options); });
}

}  // namespace velmora
