// The PNG copy of the wallpaper and the numbered copies beside the bitmap.
// The PNG is read back by libpng and by ImageMagick, each against the
// bitmap file of the same picture.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "CommandRun.h"
#include "WallpaperCopies.h"
#include "WallpaperPng.h"
#include "velmgen/BmpFile.h"

namespace {

namespace fs = std::filesystem;

using velmora::testing::readAll;
using velmora::testing::shell;

class WallpaperFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("velmora-files-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(root)) out.insert(e.path().filename().string());
    return out;
  }
  fs::path root;
};

struct PictureCase {
  const char* what;
  int width, height, colours;
  bool pastPalette;  // pixels also use indices past the palette's count
};

// Pixels spread over the palette, and channels outside 0..255 (their low 8
// bits count). Indices past the palette's count show black, as the
// bitmap's zeroed colour table shows them; ImageMagick refuses such a
// bitmap, so only libpng reads those.
velmgen::Picture testPicture(const PictureCase& c) {
  velmgen::Picture p = velmgen::sizedPicture(c.width, c.height);
  p.palette.count = c.colours;
  for (int i = 0; i < c.colours; ++i) p.palette.entries[i] = {i * 7 + 258, i * 13 - 3, 255 - i};
  const std::size_t range = c.pastPalette ? 256 : static_cast<std::size_t>(c.colours);
  for (std::size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = static_cast<std::uint8_t>((i * 37 + i / 5) % range);
  return p;
}

// The picture's colour at (x, y), y counted from the top.
std::array<std::uint8_t, 3> expectedRgb(const velmgen::Picture& p, int x, int y) {
  const std::uint8_t index = p.pixels[static_cast<std::size_t>(p.height - 1 - y) * p.width + x];
  if (index >= p.palette.count) return {0, 0, 0};
  const auto& e = p.palette.entries[index];
  return {static_cast<std::uint8_t>(e[2]), static_cast<std::uint8_t>(e[1]), static_cast<std::uint8_t>(e[0])};
}

TEST_F(WallpaperFiles, PngHasTheBitmapsPixelsForLibpngAndImageMagick) {
  const PictureCase cases[] = {
      {"default size, 256 colours", 64, 64, 256, false},
      {"odd width, 16 colours", 50, 3, 16, false},
      {"two colours", 7, 5, 2, false},
      {"one pixel", 1, 1, 256, false},
      {"indices past 16 colours", 50, 3, 16, true},
  };
  const bool magick = shell("command -v compare >/dev/null").status == 0;
  for (const PictureCase& c : cases) {
    const velmgen::Picture p = testPicture(c);
    const std::string png = (root / "w.png").string(), bmp = (root / "w.bmp").string();
    std::string why;
    ASSERT_TRUE(velmora::writePng(p, png, &why)) << c.what << ": " << why;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << c.what << ": " << image.message;
    EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_COLORMAP) << c.what << ": not an indexed PNG";
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << c.what << ": " << image.message;
    ASSERT_EQ(image.width, static_cast<png_uint_32>(c.width)) << c.what;
    ASSERT_EQ(image.height, static_cast<png_uint_32>(c.height)) << c.what;
    int wrong = 0;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const auto want = expectedRgb(p, x, y);
        wrong += std::memcmp(&rgb[(static_cast<std::size_t>(y) * c.width + x) * 3], want.data(), 3) != 0;
      }
    }
    EXPECT_EQ(wrong, 0) << c.what << ": pixels differ from the picture";

    if (magick && !c.pastPalette) {
      ASSERT_EQ(velmgen::writeBmp(p, bmp), 1);
      EXPECT_EQ(shell("compare -metric AE '" + bmp + "' '" + png + "' null: 2>&1").out, "0") << c.what;
    }
  }
  if (!magick) GTEST_SKIP() << "ImageMagick is not installed: only libpng read the files";
}

TEST_F(WallpaperFiles, PngIsWholeOrNotThere) {
  const velmgen::Picture p = testPicture({"", 8, 8, 4, false});
  const fs::path target = root / "w.png";
  std::string why;
  // A rename that fails (a folder stands at the name) leaves the folder and
  // no temporary file.
  fs::create_directories(target / "inside");
  EXPECT_FALSE(velmora::writePng(p, target.string(), &why));
  EXPECT_NE(why.find(target.string()), std::string::npos) << why;
  EXPECT_TRUE(fs::is_directory(target / "inside"));
  EXPECT_EQ(names(), std::set<std::string>{"w.png"});
  fs::remove_all(target);

  // A missing folder: nothing is made.
  why.clear();
  EXPECT_FALSE(velmora::writePng(p, (root / "no" / "w.png").string(), &why));
  EXPECT_FALSE(why.empty());

  // An empty picture writes nothing, and an older file stays as it was.
  std::ofstream(target) << "older";
  EXPECT_FALSE(velmora::writePng(velmgen::Picture{}, target.string(), &why));
  EXPECT_EQ(readAll(target), "older");
  EXPECT_EQ(names(), std::set<std::string>{"w.png"});

  // A good write replaces it whole, readable by everyone like any file.
  ASSERT_TRUE(velmora::writePng(p, target.string(), &why)) << why;
  EXPECT_EQ(readAll(target).substr(1, 3), "PNG");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::others_read, fs::perms::others_read);
  EXPECT_EQ(names(), std::set<std::string>{"w.png"});
}

TEST_F(WallpaperFiles, CopiesAreNumberedOnAndOnlyTheNewestTwoKept) {
  EXPECT_EQ(velmora::nextCopyPath(root), root / "velmora-1.png");
  // Numbers compare as numbers; other files are not copies and stay.
  for (const char* name : {"velmora-9.png", "velmora-10.png", "velmora-2.png", "velmora-x.png", "velmora-.png",
                           "velmora-11.png.tmp", "other-99.png", "velmora.bmp"}) {
    std::ofstream(root / name) << name;
  }
  EXPECT_EQ(velmora::nextCopyPath(root), root / "velmora-11.png");
  velmora::keepNewestCopies(root, 2);
  EXPECT_EQ(names(), (std::set<std::string>{"velmora-9.png", "velmora-10.png", "velmora-x.png", "velmora-.png",
                                            "velmora-11.png.tmp", "other-99.png", "velmora.bmp"}));
  EXPECT_EQ(velmora::nextCopyPath(root), root / "velmora-11.png");
}

}  // namespace
