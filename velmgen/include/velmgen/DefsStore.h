#pragma once
// The per-user settings: width, height, colours, mode, the log-on flag and
// the seed that chains the random table from one library load to the next,
// kept in HKEY_CURRENT_USER "Control Panel\Velmora".
#include <cstdint>
#include <string_view>

#include "platform/Registry.h"
#include "velmgen/RandTable.h"

namespace velmgen {

inline constexpr std::string_view kSettingsKey = "Control Panel\\Velmora";

struct DefsStore {
  platform::RegKey key{};         // open for the life of the library
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

// Opens or creates the key, remembering which, and loads. Runs at load.
void openDefs(DefsStore& defs, RandTable& rand);

// Fills the record: clock seed and defaults first; then, when this process
// created the key, writes the defaults and a fresh clock seed back, and
// otherwise reads the six values. Reseeds the table either way.
void loadDefs(DefsStore& defs, RandTable& rand);

// Writes the six values, the seed being a new draw from the table. Returns
// the status of the seed's write (0 on success, else a system error code).
std::int32_t saveDefs(DefsStore& defs, RandTable& rand);

// Saves and closes the key. Runs at unload.
void closeDefs(DefsStore& defs, RandTable& rand);

// Setting by index (0 width, 1 height, 2 colours, 3 log-on flag); any other
// index, taken as unsigned, gives -1 or changes nothing.
std::int32_t getDefs(const DefsStore& defs, std::int32_t index);
void setDefs(DefsStore& defs, std::int32_t index, std::int32_t value);

// Whether the engine can make an image from these settings: at least one
// pixel, at most 2^28, and 2 .. 256 colours. A hand-edited registry can hold
// anything; the engine makes nothing from values outside these.
bool settingsUsable(const DefsStore& defs);

}  // namespace velmgen
