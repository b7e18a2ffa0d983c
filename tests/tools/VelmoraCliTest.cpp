// The velmora command as a user runs it, and its files read by ImageMagick,
// an independent BMP reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "CommandRun.h"
#include "velmgen/BmpFile.h"

namespace {

namespace fs = std::filesystem;

using velmora::testing::Outcome;
using velmora::testing::readAll;
using velmora::testing::shell;

class VelmoraCli : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("velmora-cli-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }
  Outcome velmora(const std::string& args, bool withStderr = false, const std::string& env = "") {
    return shell("VELMORA_ROOT='" + root.string() + "' " + env + " '" VELMORA_EXE "' " + args +
                 (withStderr ? " 2>&1" : " 2>/dev/null"));
  }
  fs::path root;
};

TEST_F(VelmoraCli, RefusesBadSettingsBeforeTouchingAnything) {
  const char* bad[] = {"--width 0",      "--height -3", "--colours 1", "--colours 257",
                       "--mode -2",      "--mode 8",    "--width abc", "--width 16385 --height 16384",
                       "--no-such-flag", "--seed"};
  for (const char* args : bad) {
    const Outcome r = velmora(std::string("generate ") + args + " --output '" + (root / "x.bmp").string() + "'", true);
    EXPECT_NE(r.status, 0) << args;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << args << ": " << r.out;
    EXPECT_TRUE(fs::is_empty(root)) << args;
  }
}

TEST_F(VelmoraCli, RefusesASubdivisionThatWouldNotFinish) {
  // Refused by the cost of the shape, before anything is written; --help
  // names the limit.
  for (const char* args : {"--mode 1 --width 1 --height 27308", "--mode 4 --width 64000 --height 2",
                           "--mode 1 --width 27308 --height 9000"}) {
    const Outcome r = velmora(std::string("generate ") + args + " --output '" + (root / "x.bmp").string() + "'", true);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << args << ": " << r.out;
    EXPECT_NE(r.out.find("27307"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_empty(root)) << args;
  }
  // The same shapes in a mode without subdivision, and the longest side
  // allowed, are made.
  EXPECT_EQ(velmora("generate --mode 3 --width 1 --height 27308 --output '" + (root / "a.bmp").string() + "'").status,
            0);
  EXPECT_EQ(velmora("generate --mode 1 --width 4000 --height 1 --output '" + (root / "b.bmp").string() + "'").status,
            0);
  const Outcome help = velmora("generate --help");
  EXPECT_NE(help.out.find("longer than 27307 pixels"), std::string::npos) << help.out;
}

TEST_F(VelmoraCli, DefaultsToTheWallpaperPathUnderTheRoot) {
  const Outcome r = velmora("generate --seed 7");
  ASSERT_EQ(r.status, 0);
  const fs::path file = root / "drive_c" / "windows" / "velmora.bmp";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_NE(r.out.find(file.string()), std::string::npos) << r.out;
  velmgen::Picture p;
  ASSERT_EQ(velmgen::readBmp(p, file.string()), 1);
  EXPECT_EQ(p.palette.count, 256);
  EXPECT_TRUE(p.width == 64 || p.width == 128);  // 128 when the random pick is the texture
}

TEST_F(VelmoraCli, SameSeedSameBytes) {
  const std::string a = (root / "a.bmp").string(), b = (root / "b.bmp").string(), c = (root / "c.bmp").string();
  ASSERT_EQ(velmora("generate --width 97 --height 31 --seed 99 --output '" + a + "'").status, 0);
  ASSERT_EQ(velmora("generate --width 97 --height 31 --seed 99 --output '" + b + "'").status, 0);
  ASSERT_EQ(velmora("generate --width 97 --height 31 --seed 100 --output '" + c + "'").status, 0);
  EXPECT_EQ(readAll(a), readAll(b));
  EXPECT_NE(readAll(a), readAll(c));
}

TEST_F(VelmoraCli, ImageMagickReadsEveryMode) {
  if (shell("command -v identify >/dev/null").status != 0) GTEST_SKIP() << "ImageMagick is not installed";
  for (int mode = 0; mode <= 7; ++mode) {
    const int colours = 2 + mode * 30;
    const std::string file = (root / ("m" + std::to_string(mode) + ".bmp")).string();
    ASSERT_EQ(velmora("generate --mode " + std::to_string(mode) + " --width 50 --height 3 --colours " +
                      std::to_string(colours) + " --seed 4 --output '" + file + "'")
                  .status,
              0);
    const std::string size = mode == 7 ? "128 128" : "50 3";
    EXPECT_EQ(shell("identify -format '%w %h %z %[type]' '" + file + "'").out, size + " 8 Palette") << mode;
    EXPECT_NE(shell("identify -verbose '" + file + "'").out.find("Colormap entries: " + std::to_string(colours)),
              std::string::npos)
        << mode;
    // The colour ImageMagick shows for pixel (0, top row) is our palette entry.
    velmgen::Picture p;
    ASSERT_EQ(velmgen::readBmp(p, file), 1);
    const auto& e = p.palette.entries[p.pixels[static_cast<std::size_t>(p.height - 1) * p.width]];
    char expected[16];
    std::snprintf(expected, sizeof expected, "#%02X%02X%02X", e[2] & 0xFF, e[1] & 0xFF, e[0] & 0xFF);
    EXPECT_EQ(shell("convert '" + file + "[1x1+0+0]' -format '%[hex:u.p{0,0}]' info:").out, expected + 1) << mode;
  }
}

TEST_F(VelmoraCli, NewUsesTheStoredSettingsAndMovesTheSeedOn) {
  ASSERT_EQ(velmora("settings --width 40 --height 30 --colours 16 --mode 3 --seed 5").status, 0);
  const Outcome r = velmora("new");
  ASSERT_EQ(r.status, 0);
  velmgen::Picture p;
  ASSERT_EQ(velmgen::readBmp(p, (root / "drive_c/windows/velmora.bmp").string()), 1);
  EXPECT_EQ(p.width, 40);
  EXPECT_EQ(p.height, 30);
  EXPECT_EQ(p.palette.count, 16);
  const std::string shown = velmora("settings").out;
  EXPECT_NE(shown.find("size_x = 40\n"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("seed = 5\n"), std::string::npos) << shown;

  // Log-on flag off: no file, but the seed still moves on.
  fs::remove(root / "drive_c/windows/velmora.bmp");
  ASSERT_EQ(velmora("settings --startup 0").status, 0);
  EXPECT_EQ(velmora("new").status, 0);
  EXPECT_FALSE(fs::exists(root / "drive_c/windows/velmora.bmp"));
  EXPECT_NE(velmora("settings").out, shown);
}

TEST_F(VelmoraCli, SettingsTakeAnyNumberButSayWhenNoImageCanBeMade) {
  const Outcome r = velmora("settings --width -4", true);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("size_x = -4\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("no image can have"), std::string::npos) << r.out;
  EXPECT_NE(velmora("new").status, 0);
  EXPECT_NE(velmora("settings --width ten").status, 0);
}

TEST_F(VelmoraCli, AutostartEntryComesAndGoes) {
  const std::string env = "XDG_CONFIG_HOME='" + (root / "config").string() + "'";
  const fs::path entry = root / "config/autostart/velmora.desktop";
  ASSERT_EQ(velmora("autostart on", false, env).status, 0);
  const std::string text = readAll(entry);
  EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Exec=\"" VELMORA_EXE "\" new"), std::string::npos) << text;
  ASSERT_EQ(velmora("autostart off", false, env).status, 0);
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_NE(velmora("autostart maybe", false, env).status, 0);
}

}  // namespace
