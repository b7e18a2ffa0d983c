// `velmora settings`: shows the six stored settings and sets them directly
// in the registry, as a registry editor would.
#include <cstring>
#include <iostream>
#include <optional>

#include "Commands.h"
#include "ScreenSize.h"
#include "platform/Registry.h"
#include "velmgen/DefsStore.h"

namespace velmora {
namespace {

struct Setting {
  const char* name;
  const char* option;
  const char* meaning;
  std::int32_t fallback;  // what the library uses when the value is missing
};

const Setting kSettings[] = {
    {"size_x", "--width", "Image width in pixels", 64},
    {"size_y", "--height", "Image height in pixels", 64},
    {"colours", "--colours", "Number of palette colours, 2..256", 256},
    {"startup", "--startup", "1: a new wallpaper at log-on, 0: none", 1},
    {"mode", "--mode", "Pattern 0..7, -1 for one at random", -1},
    {"seed", "--seed", "Seed for the next image's random table", 0},
};

struct SettingsOptions {
  std::optional<std::int32_t> values[std::size(kSettings)];
  bool screen = false;  // width and height from the primary monitor
};

platform::RegKey hkcu() { return platform::regRoot(platform::RegRoot::CurrentUser); }

int runSettings(SettingsOptions o) {
  if (o.screen) {
    std::string why;
    const auto screen = primaryScreen(&why);
    if (!screen) {
      while (!why.empty() && (why.back() == ' ' || why.back() == ';')) why.pop_back();
      std::cerr << "velmora: cannot find the screen's size (" << why << ")\n";
      return 1;
    }
    std::cout << "Screen: " << screen->width << " x " << screen->height << " (" << screen->source << ")\n";
    o.values[0] = screen->width;
    o.values[1] = screen->height;
  }
  bool writing = false;
  for (const auto& v : o.values) writing = writing || v.has_value();
  platform::RegKey key{};
  if (writing) {
    if (const std::int32_t rc =
            platform::regCreateKey(hkcu(), velmgen::kSettingsKey, platform::RegAccess::All, &key, nullptr)) {
      std::cerr << "velmora: cannot open the settings (error " << rc << ")\n";
      return 1;
    }
    for (std::size_t i = 0; i < std::size(kSettings); ++i) {
      if (!o.values[i]) continue;
      std::uint8_t bytes[4];
      std::memcpy(bytes, &*o.values[i], 4);
      if (const std::int32_t rc = platform::regSetValue(key, kSettings[i].name, platform::kRegDword, bytes)) {
        std::cerr << "velmora: cannot store " << kSettings[i].name << " (error " << rc << ")\n";
        platform::regCloseKey(key);
        return 1;
      }
    }
  } else if (platform::regOpenKey(hkcu(), velmgen::kSettingsKey, platform::RegAccess::Read, &key) != 0) {
    key = {};
  }
  std::int32_t effective[std::size(kSettings)];
  for (std::size_t i = 0; i < std::size(kSettings); ++i) {
    const Setting& s = kSettings[i];
    effective[i] = s.fallback;
    std::uint8_t bytes[4];
    std::uint32_t size = 4, type = 0;
    std::cout << s.name << " = ";
    if (key.bits != 0 && platform::regQueryValue(key, s.name, &type, bytes, &size) == 0 && size == 4) {
      std::memcpy(&effective[i], bytes, 4);
      std::cout << effective[i] << "\n";
    } else if (s.fallback != 0 || std::strcmp(s.name, "seed") != 0) {
      std::cout << "(not set: " << s.fallback << ")\n";
    } else {
      std::cout << "(not set: from the clock)\n";
    }
  }
  platform::regCloseKey(key);
  velmgen::DefsStore check;
  for (std::int32_t i = 0; i < 3; ++i) velmgen::setDefs(check, i, effective[i]);
  if (!velmgen::settingsUsable(check)) {
    std::cerr << "velmora: note: no image can have " << check.size_x << " x " << check.size_y << " pixels and "
              << check.colours << " colours; new wallpapers are not made until this changes\n";
  }
  return 0;
}

}  // namespace

void addSettingsCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<SettingsOptions>();
  CLI::App* cmd = app.add_subcommand("settings", "Show the stored settings, or set some of them");
  CLI::Option* width = nullptr;
  CLI::Option* height = nullptr;
  for (std::size_t i = 0; i < std::size(kSettings); ++i) {
    CLI::Option* o = cmd->add_option(kSettings[i].option, options->values[i], kSettings[i].meaning);
    if (i == 0) width = o;
    if (i == 1) height = o;
  }
  cmd->add_flag("--screen", options->screen, "Width and height of the primary monitor")
      ->excludes(width)
      ->excludes(height);
  cmd->callback([options, &status] { status = runSettings(*options); });
}

}  // namespace velmora
