// A settings save with every host call failing in turn: the applet's New and
// OK (a new wallpaper, then the settings written back) and the library's
// unload. Whatever fails, the registry database stays sound, each setting
// holds its old value or its new one, and the wallpaper file is the old
// picture or the new one, whole.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FaultFixture.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "velmgen/BmpFile.h"
#include "velmgen/DefsStore.h"
#include "velmgen/Exports.h"
#include "velmgen/Library.h"
#include "velmgen/WallGen.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;

const platform::RegKey kHkcu = platform::regRoot(platform::RegRoot::CurrentUser);

struct Setting {
  const char* name;
  std::int32_t before;
  std::int32_t after;  // what the save writes (the seed: anything)
};
const Setting kSettings[] = {{"size_x", 40, 48}, {"size_y", 30, 36}, {"colours", 16, 32}, {"mode", 2, 2}};

std::optional<std::int32_t> stored(const char* name) {
  platform::RegKey key;
  if (platform::regOpenKey(kHkcu, velmgen::kSettingsKey, platform::RegAccess::Read, &key) != 0) return std::nullopt;
  std::int32_t v = 0;
  std::uint32_t size = 4;
  const bool ok = platform::regQueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(&v), &size) == 0;
  return ok ? std::optional<std::int32_t>(v) : std::nullopt;
}

class SettingsSweep : public FaultTest {
 protected:
  // The state before each trial: the old settings and seed, the old picture.
  void prepare() {
    platform::RegKey key;
    ASSERT_EQ(platform::regCreateKey(kHkcu, velmgen::kSettingsKey, platform::RegAccess::All, &key, nullptr), 0);
    for (const Setting& s : kSettings)
      ASSERT_EQ(platform::regSetValue(key, s.name, platform::kRegDword,
                                      {reinterpret_cast<const std::uint8_t*>(&s.before), 4}),
                0);
    const std::int32_t seed = 1234;
    ASSERT_EQ(platform::regSetValue(key, "seed", platform::kRegDword, {reinterpret_cast<const std::uint8_t*>(&seed), 4}),
              0);
    velmgen::Picture old;
    old.width = 8;
    old.height = 8;
    old.pixels.assign(64, 7);
    old.palette.count = 2;
    oldPicture_ = velmgen::encodeBmp(old);
    ASSERT_EQ(platform::writeFile(velmgen::kWallpaperPath, oldPicture_), 0);
  }

  // New, then OK, then unload. Returns doit's result.
  static std::int32_t saveSettings() {
    velmgen::loadLibrary();
    setDefs(0, 48);
    setDefs(1, 36);
    setDefs(2, 32);
    const std::int32_t made = doit(0);
    saveDefs();
    velmgen::unloadLibrary();
    return made;
  }

  std::vector<std::uint8_t> wallpaper() const {
    std::vector<std::uint8_t> bytes;
    platform::readFile(velmgen::kWallpaperPath, 1u << 24, &bytes);
    return bytes;
  }

  // A picture of the new settings, as long as its header says: the new
  // image's pixels depend on the clock, so its bytes cannot be known.
  static bool wholeNewPicture(const std::vector<std::uint8_t>& bytes) {
    velmgen::Picture p;
    if (velmgen::decodeBmp(p, bytes) != 1 || p.width != 48 || p.height != 36 || p.palette.count != 32) return false;
    std::uint32_t declared = 0;
    std::memcpy(&declared, bytes.data() + 2, 4);
    return bytes.size() == velmgen::kBmpPixelOffset + 48u * 36u && declared == bytes.size();
  }

  std::vector<std::uint8_t> oldPicture_;
};

TEST_F(SettingsSweep, EveryFailureLeavesOldOrNewAndASoundDatabase) {
  prepare();
  faults::failCall(Service::Open, 0, 0);  // count only
  ASSERT_EQ(saveSettings(), 1);
  std::uint32_t calls[faults::kServiceCount];
  for (int s = 0; s < faults::kServiceCount; ++s) calls[s] = faults::callCount(static_cast<Service>(s));
  faults::clearFaults();
  ASSERT_TRUE(wholeNewPicture(wallpaper()));
  ASSERT_GT(calls[static_cast<int>(Service::RegistryWrite)], 8u);
  ASSERT_GT(calls[static_cast<int>(Service::Write)], 0u);

  struct Fault {
    Service service;
    std::int32_t error;
  };
  const Fault kinds[] = {{Service::RegistryWrite, platform::kErrorRegistryIoFailed},
                         {Service::Write, platform::kErrorDiskFull},
                         {Service::Write, platform::kErrorWriteFault},
                         {Service::Open, platform::kErrorAccessDenied},
                         {Service::Rename, platform::kErrorSharingViolation}};
  int trials = 0;
  for (const Fault& f : kinds) {
    for (const bool sticky : {false, true}) {
      for (std::uint32_t n = 1; n <= calls[static_cast<int>(f.service)]; ++n) {
        SCOPED_TRACE(testing::Message() << "service " << static_cast<int>(f.service) << " error " << f.error
                                        << " call " << n << (sticky ? " sticky" : ""));
        prepare();
        faults::failCall(f.service, n, f.error, sticky);
        const std::int32_t made = saveSettings();
        ASSERT_TRUE(faults::faultFired());
        faults::clearFaults();
        ++trials;

        EXPECT_EQ(registryIntegrity(), "ok");
        for (const Setting& s : kSettings) {
          const auto v = stored(s.name);
          ASSERT_TRUE(v.has_value()) << s.name;
          EXPECT_TRUE(*v == s.before || *v == s.after) << s.name << " = " << *v;
        }
        const std::vector<std::uint8_t> now = wallpaper();
        EXPECT_TRUE(now == oldPicture_ || wholeNewPicture(now)) << "a mix of the two pictures";
        EXPECT_EQ(made == 1, now != oldPicture_) << "doit says what happened to the file";
      }
    }
  }
  EXPECT_GT(trials, 20);
}

}  // namespace
