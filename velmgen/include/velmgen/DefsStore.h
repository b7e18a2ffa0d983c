#pragma once
// The per-user settings record the generators read.
#include <cstdint>

namespace velmgen {

struct DefsStore {
  std::uint32_t disposition = 1;  // 1: this process created the settings key, 2: opened it
  std::int32_t size_x = 64;
  std::int32_t size_y = 64;
  std::int32_t colours = 256;
  std::int32_t max_colour = 255;  // colours - 1, never stored
  std::int32_t mode = -1;         // 0..7 a generator, -1 one at random per image
  std::int32_t startup = 1;       // nonzero: a new wallpaper at log-on
  std::int32_t seed = 0;
};

// The process's settings.
extern DefsStore theDefs;

// Whether the engine can make an image from these settings: at least one
// pixel, at most 2^28, and 2 .. 256 colours. A hand-edited registry can hold
// anything; the engine makes nothing from values outside these.
bool settingsUsable(const DefsStore& defs);

}  // namespace velmgen
