#include "velmgen/DefsStore.h"

#include <cstring>

#include "velmgen/BmpFile.h"
#include "velmgen/ClockSeed.h"

namespace velmgen {

constinit DefsStore theDefs{};
namespace {

// Reads a value into a field as into a 4-byte buffer, whatever its type: a
// missing value, or one longer than 4 bytes, leaves the field as it is.
void readField(platform::RegKey key, std::string_view name, std::int32_t& field) {
  std::uint8_t buffer[4];
  std::memcpy(buffer, &field, 4);
  std::uint32_t size = 4;
  if (platform::regQueryValue(key, name, nullptr, buffer, &size) == platform::kErrorSuccess) {
    std::memcpy(&field, buffer, 4);
  }
}

std::int32_t writeField(platform::RegKey key, std::string_view name, std::int32_t value) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);  // REG_DWORD: 4 bytes, little-endian
  return platform::regSetValue(key, name, platform::kRegDword, bytes);
}

void writeNonSeed(const DefsStore& d) {
  writeField(d.key, "size_x", d.size_x);
  writeField(d.key, "size_y", d.size_y);
  writeField(d.key, "colours", d.colours);
  writeField(d.key, "startup", d.startup);
  writeField(d.key, "mode", d.mode);
}

// colours - 1 without overflow for any stored value.
std::int32_t below(std::int32_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) - 1u); }

}  // namespace

void openDefs(DefsStore& defs, RandTable& rand) {
  defs.disposition = platform::kRegCreatedNewKey;
  platform::RegKey key{};
  std::uint32_t disposition = platform::kRegCreatedNewKey;
  if (platform::regCreateKey(platform::regRoot(platform::RegRoot::CurrentUser), kSettingsKey, platform::RegAccess::All,
                             &key, &disposition) == platform::kErrorSuccess) {
    defs.key = key;
    defs.disposition = disposition;
  }
  loadDefs(defs, rand);
}

void loadDefs(DefsStore& defs, RandTable& rand) {
  defs.seed = clockSeed();
  reseed(rand, defs.seed);
  defs.size_x = 64;
  defs.size_y = 64;
  defs.colours = 256;
  defs.max_colour = 255;
  defs.mode = -1;
  defs.startup = 1;
  if (defs.disposition == platform::kRegCreatedNewKey) {
    // A process that created the key writes the defaults on every load.
    writeNonSeed(defs);
    defs.seed = clockSeed();
    writeField(defs.key, "seed", defs.seed);
  } else {
    readField(defs.key, "size_x", defs.size_x);
    readField(defs.key, "size_y", defs.size_y);
    readField(defs.key, "colours", defs.colours);
    defs.max_colour = below(defs.colours);
    readField(defs.key, "startup", defs.startup);
    readField(defs.key, "mode", defs.mode);
    readField(defs.key, "seed", defs.seed);
  }
  reseed(rand, defs.seed);
}

std::int32_t saveDefs(DefsStore& defs, RandTable& rand) {
  writeNonSeed(defs);
  defs.seed = nextRaw(rand);
  return writeField(defs.key, "seed", defs.seed);
}

void closeDefs(DefsStore& defs, RandTable& rand) {
  saveDefs(defs, rand);
  platform::regCloseKey(defs.key);
  defs.key = {};
}

std::int32_t getDefs(const DefsStore& defs, std::int32_t index) {
  switch (static_cast<std::uint32_t>(index)) {
    case 0:
      return defs.size_x;
    case 1:
      return defs.size_y;
    case 2:
      return defs.colours;
    case 3:
      return defs.startup;
    default:
      return -1;
  }
}

bool settingsUsable(const DefsStore& defs) {
  return defs.size_x >= 1 && defs.size_y >= 1 && defs.colours >= 2 && defs.colours <= 256 &&
         std::int64_t{defs.size_x} * defs.size_y <= kMaxPixels;
}

void setDefs(DefsStore& defs, std::int32_t index, std::int32_t value) {
  switch (static_cast<std::uint32_t>(index)) {
    case 0:
      defs.size_x = value;
      break;
    case 1:
      defs.size_y = value;
      break;
    case 2:
      defs.colours = value;
      defs.max_colour = below(value);
      break;
    case 3:
      defs.startup = value;
      break;
    default:
      break;
  }
}

}  // namespace velmgen
