#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "platform/FileSystem.h"
#include "velmgen/BmpFile.h"
#include "velmgen/WallGen.h"

namespace velmgen {
namespace {

using testing::primedTable;
using testing::settings;

TEST(WallGen, RandomModeBoundaries) {
  struct Case {
    std::int32_t d;
    std::int32_t mode;
  };
  for (Case c : {Case{0, 0}, Case{8191, 0}, Case{8192, 1}, Case{57343, 6}, Case{57344, 7}, Case{65535, 7}}) {
    RandTable t = primedTable({c.d});
    EXPECT_EQ(pickMode(t), c.mode) << c.d;
  }
}

TEST(WallGen, TextureClearsXyValidUntilTheNextImage) {
  testing::ScratchDir dir;
  const std::string path = dir.file("w.bmp");
  WallGen gen;
  EXPECT_EQ(gen.xyValid, 1);
  RandTable t = primedTable({});
  EXPECT_EQ(makeWallpaper(gen, t, settings(300, 200, 64), 7, path), 1);
  EXPECT_EQ(gen.xyValid, 0);
  Picture back;
  ASSERT_EQ(readBmp(back, path), 1);
  EXPECT_EQ(back.width, 128);
  EXPECT_EQ(back.height, 128);
  EXPECT_EQ(back.palette.count, 64);
  EXPECT_EQ(makeWallpaper(gen, t, settings(30, 20, 64), 3, path), 1);
  EXPECT_EQ(gen.xyValid, 1);
  ASSERT_EQ(readBmp(back, path), 1);
  EXPECT_EQ(back.width, 30);
}

TEST(WallGen, RefusedSubdivisionKeepsTheLastPictureAndFile) {
  testing::ScratchDir dir;
  const std::string path = dir.file("w.bmp");
  WallGen gen;
  RandTable t = primedTable({});
  ASSERT_EQ(makeWallpaper(gen, t, settings(30, 20, 64), 3, path), 1);
  const std::vector<std::uint8_t> before = encodeBmp(*gen.picture);
  // Mode -1 is refused only when it picks 1 or 4: d = 8192 picks 1, 0 picks 0.
  struct Case {
    std::int32_t mode, d, made;
  };
  for (Case c : {Case{1, 0, 0}, Case{4, 0, 0}, Case{-1, 8192, 0}, Case{-1, 0, 1}}) {
    RandTable u = primedTable({c.d});
    const std::int32_t made = makeWallpaper(gen, u, settings(27308, 1, 64), c.mode, path);
    EXPECT_EQ(made, c.made) << c.mode << " " << c.d;
    std::vector<std::uint8_t> file;
    ASSERT_EQ(platform::readFile(path, 1 << 20, &file), platform::kErrorSuccess);
    EXPECT_EQ(file == before, made == 0) << c.mode << " " << c.d;
    EXPECT_EQ(gen.picture->width, made ? 27308 : 30);
  }
}

TEST(WallGen, UnknownModeRewritesTheLastPicture) {
  testing::ScratchDir dir;
  WallGen gen;
  RandTable t = primedTable({});
  // Nothing made yet: nothing to write.
  EXPECT_EQ(makeWallpaper(gen, t, settings(8, 8, 16), 9, dir.file("a.bmp")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("a.bmp")));
  ASSERT_EQ(makeWallpaper(gen, t, settings(8, 8, 16), 1, dir.file("a.bmp")), 1);
  const RandTable before = t;
  EXPECT_EQ(makeWallpaper(gen, t, settings(20, 20, 16), -5, dir.file("b.bmp")), 1);
  EXPECT_EQ(testing::drawsBetween(before, t, 0), 0);  // no draw for an unknown mode
  Picture a, b;
  readBmp(a, dir.file("a.bmp"));
  readBmp(b, dir.file("b.bmp"));
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(b.width, 8);
}

TEST(WallGen, UsableSettings) {
  struct Case {
    std::int32_t w, h, colours;
    bool usable;
  };
  for (Case c : {Case{64, 64, 256, true}, Case{1, 1, 2, true}, Case{0, 64, 256, false}, Case{64, -1, 256, false},
                 Case{64, 64, 1, false}, Case{64, 64, 257, false}, Case{16384, 16384, 256, true},
                 Case{16384, 16385, 256, false}, Case{INT32_MAX, INT32_MAX, 256, false}}) {
    EXPECT_EQ(settingsUsable(settings(c.w, c.h, c.colours)), c.usable) << c.w << "x" << c.h << " " << c.colours;
  }
}

}  // namespace
}  // namespace velmgen
