// The settings a registry holds: the six values under "Control Panel\Velmora"
// with any type and any bytes (a hand-edited or damaged registry), loaded as
// the library does when it loads, a wallpaper made from them and the
// settings saved back. Input: for each of size_x, size_y, colours, startup,
// mode and seed in turn, one byte (its low 3 bits the type: 0 missing, 1
// REG_SZ, 2 REG_BINARY, else REG_DWORD; the rest the length up to 31) and
// that many bytes. Checks that what loads is what the bytes say (a DWORD of
// four bytes, anything else ignored), that an image is made exactly when
// the settings allow one, and that the file then is that image.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "ScratchRoot.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "velmgen/BmpFile.h"
#include "velmgen/DefsStore.h"
#include "velmgen/Exports.h"
#include "velmgen/Generators.h"
#include "velmgen/Library.h"
#include "velmgen/WallGen.h"

namespace {

constexpr std::string_view kNames[] = {"size_x", "size_y", "colours", "startup", "mode", "seed"};
// Images this large, or this long, take seconds to draw (the subdivision's
// time grows with the square of the longer side); they are loaded but not
// drawn.
constexpr std::int64_t kMostPixelsDrawn = 1 << 16;
constexpr std::int32_t kLongestSideDrawn = 2048;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::scratchRoot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::resetScratch();
  const platform::RegKey hkcu = platform::regRoot(platform::RegRoot::CurrentUser);
  platform::regDeleteTree(hkcu, velmgen::kSettingsKey);
  platform::RegKey key;
  FUZZ_REQUIRE(platform::regCreateKey(hkcu, velmgen::kSettingsKey, platform::RegAccess::All, &key, nullptr) == 0);

  std::span<const std::uint8_t> in(data, size);
  std::int32_t expected[6] = {64, 64, 256, 1, -1, 0};
  bool known[6] = {true, true, true, true, true, false};
  for (int i = 0; i < 6 && !in.empty(); ++i) {
    const std::uint8_t head = in[0];
    in = in.subspan(1);
    const std::size_t length = std::min<std::size_t>(head >> 3, in.size());
    const std::span<const std::uint8_t> bytes = in.first(length);
    in = in.subspan(length);
    const int kind = head & 7;
    if (kind == 0) continue;
    const std::uint32_t type = kind == 1 ? platform::kRegSz : kind == 2 ? platform::kRegBinary : platform::kRegDword;
    FUZZ_REQUIRE(platform::regSetValue(key, kNames[i], type, bytes) == 0);
    // Four bytes or fewer fill the field from its start, whatever the type;
    // more leave the default.
    if (bytes.size() <= 4) {
      std::memcpy(&expected[i], bytes.data(), bytes.size());
      known[i] = true;
    }
  }
  platform::regCloseKey(key);

  velmgen::loadLibrary();
  for (int i = 0; i < 4; ++i) {
    const int index = i;  // getDefs: 0 width, 1 height, 2 colours, 3 log-on flag
    if (known[i]) FUZZ_REQUIRE(getDefs(index) == expected[i]);
  }
  const velmgen::DefsStore& d = velmgen::theDefs;
  const bool usable = velmgen::settingsUsable(d);
  if (!usable || (std::int64_t{d.size_x} * d.size_y <= kMostPixelsDrawn && d.size_x <= kLongestSideDrawn &&
                  d.size_y <= kLongestSideDrawn)) {
    const bool generator = d.mode >= -1 && d.mode <= 7;  // another mode draws nothing new
    const std::int32_t made = doit(0);
    // A subdivision too long to finish is not started (modes 1 and 4).
    const bool affordable = velmgen::subdivisionAffordable(d.size_x, d.size_y);
    if ((generator && affordable) || !usable) FUZZ_REQUIRE(made == (usable ? 1 : 0));
    if (made && generator) {
      velmgen::Picture p;
      FUZZ_REQUIRE(velmgen::readBmp(p, velmgen::kWallpaperPath) == 1);
      const bool texture = !IsXYvalid();
      FUZZ_REQUIRE(p.width == (texture ? 128 : d.size_x) && p.height == (texture ? 128 : d.size_y));
    }
  }
  velmgen::unloadLibrary();
  return 0;
}
