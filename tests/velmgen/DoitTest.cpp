// doit through the library's own load and unload, as a program using the
// library sees it.
#include <fstream>
#include <iterator>

#include "StoreTestSupport.h"
#include "velmgen/BmpFile.h"
#include "velmgen/Exports.h"
#include "velmgen/Library.h"

namespace velmgen {
namespace {

using DoitTest = testing::SettingsKeyTest;

std::string wallpaperBytes() {
  std::ifstream in(platform::nativePath(kWallpaperPath), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void putSentinel() { std::ofstream(platform::nativePath(kWallpaperPath), std::ios::binary) << "sentinel"; }

TEST_F(DoitTest, LogOnCallHonoursTheFlagButMovesTheSeed) {
  store("startup", 0);
  store("seed", 1234);
  putSentinel();
  loadLibrary();
  EXPECT_EQ(doit(1), 0);
  EXPECT_EQ(wallpaperBytes(), "sentinel");
  // An explicit request ignores the flag.
  EXPECT_EQ(doit(0), 1);
  EXPECT_NE(wallpaperBytes(), "sentinel");
  unloadLibrary();
  EXPECT_NE(stored("seed"), 1234);
}

TEST_F(DoitTest, FirstRunMakesAnImageFromTheDefaults) {
  loadLibrary();
  EXPECT_EQ(doit(1), 1);
  Picture p;
  ASSERT_EQ(readBmp(p, kWallpaperPath), 1);
  EXPECT_EQ(p.palette.count, 256);
  EXPECT_EQ(p.width, IsXYvalid() ? 64 : 128);
  unloadLibrary();
  EXPECT_EQ(stored("size_x"), 64);
}

TEST_F(DoitTest, SettingsNoImageCanHaveMakeNothing) {
  struct Case {
    const char* name;
    std::int32_t value;
  };
  const Case cases[] = {{"size_x", 0}, {"size_y", -7}, {"colours", 1}, {"colours", 300}, {"size_x", 1 << 20}};
  for (const Case& c : cases) {
    platform::regDeleteTree(hkcu(), kSettingsKey);
    store("size_y", 1 << 9);
    store(c.name, c.value);
    putSentinel();
    loadLibrary();
    EXPECT_EQ(doit(1), 0) << c.name << " " << c.value;
    EXPECT_EQ(doit(0), 0) << c.name << " " << c.value;
    EXPECT_EQ(wallpaperBytes(), "sentinel") << c.name << " " << c.value;
    unloadLibrary();
  }
}

TEST_F(DoitTest, SubdivisionThatWouldNotFinishIsRefused) {
  // A hand-edited registry asking modes 1 and 4 for a side past the limit:
  // nothing made, the file as it was; other modes still make that shape.
  struct Case {
    std::int32_t mode, width, height, made;
  };
  const Case cases[] = {{1, 1, 27308, 0}, {4, 27308, 2, 0}, {1, 1 << 24, 16, 0}, {3, 1, 27308, 1}, {1, 1, 4000, 1}};
  for (const Case& c : cases) {
    platform::regDeleteTree(hkcu(), kSettingsKey);
    store("mode", c.mode);
    store("size_x", c.width);
    store("size_y", c.height);
    putSentinel();
    loadLibrary();
    EXPECT_EQ(doit(1), c.made) << c.mode << " " << c.width << "x" << c.height;
    EXPECT_EQ(wallpaperBytes() == "sentinel", c.made == 0) << c.mode << " " << c.width << "x" << c.height;
    unloadLibrary();
  }
}

TEST_F(DoitTest, UnknownModeRewritesThePreviousImage) {
  store("mode", 42);
  putSentinel();
  loadLibrary();
  EXPECT_EQ(doit(1), 0);  // nothing made yet in this process
  EXPECT_EQ(wallpaperBytes(), "sentinel");
  unloadLibrary();
}

TEST_F(DoitTest, LoadbmpDescribesTheFile) {
  store("mode", 3);
  store("size_x", 50);
  store("size_y", 3);
  store("colours", 16);
  loadLibrary();
  ASSERT_EQ(doit(1), 1);
  void* section = loadbmp("c:\\windows\\velmora.bmp");
  ASSERT_NE(section, nullptr);
  Picture p;
  ASSERT_EQ(readBmp(p, kWallpaperPath), 1);
  const platform::BitmapInfo256* info = lastDIB();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->size, 40u);
  EXPECT_EQ(info->width, 50);
  EXPECT_EQ(info->height, 3);
  EXPECT_EQ(info->bitCount, 8);
  EXPECT_EQ(info->clrUsed, 0u);
  for (int k = 0; k < 256; ++k) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(info->colours[k][c], k < 16 ? p.palette.entries[k][c] & 0xFF : 0);
  }
  const std::uint8_t* bits = lastBITS();
  for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(bits + 52 * y, &p.pixels[50 * y], 50), 0) << y;
  platform::releaseDibSection(section);

  // A missing file: no section, no bits, but a new (empty) header.
  EXPECT_EQ(loadbmp("c:\\windows\\no-such.bmp"), nullptr);
  EXPECT_EQ(lastBITS(), nullptr);
  EXPECT_NE(lastDIB(), info);
  unloadLibrary();
}

}  // namespace
}  // namespace velmgen
