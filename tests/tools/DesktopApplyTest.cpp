// `velmora apply` and `velmora settings --screen` with the desktops' own
// tools: GSettings on its keyfile backend, XFCE's settings store on a
// private session bus, feh, xwallpaper and hsetroot on a private Xvfb
// display, swaybg and sway's own command on a private headless sway. The
// desktops whose tools only run inside a running session of that desktop
// (Plasma, LXQt, LXDE) get recording stand-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "CommandRun.h"
#include "SwayServer.h"
#include "XvfbServer.h"

namespace {

namespace fs = std::filesystem;

using velmora::testing::Outcome;
using velmora::testing::readAll;
using velmora::testing::shell;
using velmora::testing::SwayServer;
using velmora::testing::XvfbServer;

bool installed(const std::string& program) { return shell("command -v " + program + " >/dev/null").status == 0; }

// An image's pixels as RGB bytes, read by ImageMagick.
std::string rgbOf(const std::string& file) { return shell("convert '" + file + "' -depth 8 rgb:-").out; }

// Where the screen (sw x sh) shows the picture (w x h) repeated, the
// picture pixel at the screen's top-left corner; none when it is not the
// picture repeated (stretched, scaled, or another picture).
std::optional<std::pair<int, int>> tileOrigin(const std::string& screen, int sw, int sh, const std::string& picture,
                                              int w, int h) {
  if (screen.size() != static_cast<std::size_t>(sw) * sh * 3 || picture.size() != static_cast<std::size_t>(w) * h * 3) {
    return std::nullopt;
  }
  for (int dy = 0; dy < h; ++dy) {
    for (int dx = 0; dx < w; ++dx) {
      bool same = true;
      for (int y = 0; y < sh && same; ++y) {
        for (int x = 0; x < sw && same; ++x) {
          const std::size_t s = (static_cast<std::size_t>(y) * sw + x) * 3;
          const std::size_t p = (static_cast<std::size_t>((y + dy) % h) * w + (x + dx) % w) * 3;
          same = screen.compare(s, 3, picture, p, 3) == 0;
        }
      }
      if (same) return std::pair{dx, dy};
    }
  }
  return std::nullopt;
}

class DesktopApply : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("velmora-desktop-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "run");
    windows = root / "drive_c" / "windows";
  }
  void TearDown() override { fs::remove_all(root); }

  // The session a desktop would give velmora, with GSettings kept in a
  // private key file.
  std::string session(const std::string& desktop, const std::string& type = "x11",
                      const std::string& display = "") const {
    return "XDG_CURRENT_DESKTOP='" + desktop + "' XDG_SESSION_TYPE='" + type + "' DISPLAY='" + display +
           "' WAYLAND_DISPLAY= GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME='" + (root / "config").string() +
           "' XDG_RUNTIME_DIR='" + (root / "run").string() + "' VELMORA_ROOT='" + root.string() + "'";
  }
  Outcome velmora(const std::string& args, const std::string& env) const {
    return shell(env + " '" VELMORA_EXE "' " + args + " 2>&1");
  }
  // A picture of the given size that is the same at every run.
  void generate(int width, int height, int seed) const {
    ASSERT_EQ(velmora("generate --mode 1 --width " + std::to_string(width) + " --height " + std::to_string(height) +
                          " --seed " + std::to_string(seed),
                      "VELMORA_ROOT='" + root.string() + "'")
                  .status,
              0);
  }
  std::string gsetting(const std::string& schema, const std::string& key) const {
    return shell(session("") + " gsettings get " + schema + " " + key).out;
  }
  std::set<std::string> copies() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(windows)) {
      if (e.path().extension() == ".png") out.insert(e.path().filename().string());
    }
    return out;
  }
  std::string copy(int n) const { return (windows / ("velmora-" + std::to_string(n) + ".png")).string(); }
  // A private PATH holding only the given programs of the system.
  std::string pathWith(const std::vector<std::string>& programs) const {
    const fs::path bin = root / "sysbin";
    fs::remove_all(bin);
    fs::create_directories(bin);
    for (const std::string& p : programs) fs::create_symlink(shell("command -v " + p + " | tr -d '\\n'").out, bin / p);
    return bin.string();
  }
  // A stand-in that records its arguments.
  std::string recordingTool(const std::string& name) const {
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / name) << "#!/bin/sh\necho \"" << name << " $*\" >> '" << (root / "calls").string() << "'\n";
    fs::permissions(bin / name, fs::perms::owner_all);
    return bin.string();
  }
  fs::path root;
  fs::path windows;
};

TEST_F(DesktopApply, GSettingsDesktopsGetAFreshCopyTiledOrFilled) {
  if (!installed("gsettings")) GTEST_SKIP() << "gsettings is not installed";
  struct Case {
    std::string desktop, schema, key;
    bool uri;   // a file:// URI, or a plain path
    bool dark;  // also picture-uri-dark
  };
  const Case cases[] = {
      {"ubuntu:GNOME", "org.gnome.desktop.background", "picture-uri", true, true},
      {"Budgie:GNOME", "org.gnome.desktop.background", "picture-uri", true, true},
      {"X-Cinnamon", "org.cinnamon.desktop.background", "picture-uri", true, false},
      {"MATE", "org.mate.background", "picture-filename", false, false},
  };
  for (const Case& c : cases) {
    fs::remove_all(root / "config");
    fs::remove_all(root / "drive_c");
    // No screen to ask: a picture under 640 x 480 is tiled, a larger one fills.
    const std::pair<int, const char*> sizes[] = {{64, "'wallpaper'"}, {800, "'zoom'"}};
    int n = 0;
    for (const auto& [size, options] : sizes) {
      generate(size, size * 3 / 4, 5);
      const Outcome r = velmora("apply", session(c.desktop));
      ASSERT_EQ(r.status, 0) << c.desktop << ": " << r.out;
      const std::string value = "'" + std::string(c.uri ? "file://" : "") + copy(++n) + "'\n";
      EXPECT_EQ(gsetting(c.schema, c.key), value) << c.desktop;
      if (c.dark) {
        EXPECT_EQ(gsetting(c.schema, "picture-uri-dark"), value) << c.desktop;
      }
      EXPECT_EQ(gsetting(c.schema, "picture-options"), options + std::string("\n")) << c.desktop << " " << size;
    }
  }
}

TEST_F(DesktopApply, EveryApplyANewNameTheTwoNewestKeptTheBitmapUntouched) {
  if (!installed("gsettings")) GTEST_SKIP() << "gsettings is not installed";
  generate(64, 64, 11);
  const std::string bitmap = readAll(windows / "velmora.bmp");
  std::set<std::string> seen;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(velmora("apply", session("GNOME")).status, 0);
    const std::string uri = gsetting("org.gnome.desktop.background", "picture-uri");
    EXPECT_TRUE(seen.insert(uri).second) << uri;
    EXPECT_TRUE(fs::exists(uri.substr(8, uri.size() - 10))) << uri;  // 'file://...'\n
  }
  EXPECT_EQ(copies(), (std::set<std::string>{"velmora-2.png", "velmora-3.png"}));
  EXPECT_EQ(readAll(windows / "velmora.bmp"), bitmap);
  if (installed("compare")) {
    EXPECT_EQ(shell("compare -metric AE '" + (windows / "velmora.bmp").string() + "' '" + copy(3) + "' null: 2>&1").out,
              "0");
  }
}

TEST_F(DesktopApply, NoDesktopToolMeansNoNewCopyAndSaysWhatItTried) {
  generate(64, 64, 1);
  const std::string empty = (root / "empty").string();
  fs::create_directories(empty);
  Outcome r = velmora("apply", "PATH='" + empty + "' " + session("XFCE", "x11", ":0"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("tried XFCE (xfconf-query): not installed\n"), std::string::npos) << r.out;
  r = velmora("apply", "PATH='" + empty + "' " + session("", "x11", ":0"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("X11 (feh): not installed; X11 (xwallpaper): not installed; X11 (hsetroot): not installed"),
            std::string::npos)
      << r.out;
  r = velmora("apply", "PATH='" + empty + "' " + session("", "tty"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("no supported desktop found (XDG_CURRENT_DESKTOP is '', XDG_SESSION_TYPE is 'tty'"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(copies().empty());
}

// xfconfd is started by a private session bus; no desktop session is needed.
TEST_F(DesktopApply, XfceGetsEveryMonitorAndWorkspace) {
  if (!installed("xfconf-query") || !installed("dbus-run-session")) GTEST_SKIP() << "xfconf or dbus is not installed";
  generate(64, 64, 2);
  const auto properties = [&](const std::string& before, const std::string& display) {
    const std::string script = before + "'" VELMORA_EXE "' apply >/dev/null 2>&1 || echo FAILED; " +
                               "xfconf-query -c xfce4-desktop -lv";
    const Outcome r = shell(session("XFCE", "x11", display) + " dbus-run-session -- sh -c \"" + script + "\" 2>/dev/null");
    std::map<std::string, std::string> values;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t space = line.find(' ');
      if (line == "FAILED") values["FAILED"] = "";
      if (space == std::string::npos) continue;
      values[line.substr(0, space)] = line.substr(line.find_first_not_of(' ', space));
    }
    return values;
  };

  // The properties xfdesktop made for two monitors with two workspaces each.
  std::string before;
  for (const char* monitor : {"monitorHDMI-1", "monitoreDP-1"}) {
    for (const char* workspace : {"workspace0", "workspace1"}) {
      before += std::string("xfconf-query -c xfce4-desktop -n -t string -s /old.png -p /backdrop/screen0/") + monitor +
                "/" + workspace + "/last-image; ";
    }
  }
  auto values = properties(before, "");
  EXPECT_EQ(values.count("FAILED"), 0u);
  int images = 0;
  for (const auto& [property, value] : values) {
    if (property.ends_with("/last-image")) {
      ++images;
      EXPECT_EQ(value, copy(1)) << property;
      EXPECT_EQ(values[property.substr(0, property.size() - 10) + "image-style"], "2") << property;  // tiled
    }
  }
  EXPECT_EQ(images, 4);

  // None yet: made for every monitor X11 knows and every workspace.
  XvfbServer x(320, 240);
  if (x.display().empty()) GTEST_SKIP() << "Xvfb did not start";
  fs::remove_all(root / "config");
  values = properties("xfconf-query -c xfwm4 -n -t int -s 2 -p /general/workspace_count; ", x.display());
  EXPECT_EQ(values["/backdrop/screen0/monitorscreen/workspace0/last-image"], copy(2));
  EXPECT_EQ(values["/backdrop/screen0/monitorscreen/workspace1/last-image"], copy(2));
  EXPECT_EQ(values["/backdrop/screen0/monitorscreen/workspace1/image-style"], "2");
}

TEST_F(DesktopApply, BareX11SettersShowThePictureTiledOrFilled) {
  XvfbServer x(320, 240);
  if (x.display().empty()) GTEST_SKIP() << "Xvfb is not installed";
  struct Case {
    std::string tool;
    int width, height;
    std::string how;
  };
  const Case cases[] = {
      {"feh", 64, 64, "tiled"},        {"feh", 320, 240, "filling the screen"},
      {"xwallpaper", 48, 40, "tiled"}, {"xwallpaper", 320, 240, "filling the screen"},
      {"hsetroot", 64, 64, "tiled"},   {"hsetroot", 320, 240, "filling the screen"},
  };
  int seed = 20;
  for (const Case& c : cases) {
    if (!installed(c.tool)) {
      ADD_FAILURE() << c.tool << " is not installed (scripts/deps desktop installs it)";
      continue;
    }
    generate(c.width, c.height, ++seed);
    const Outcome r = velmora("apply", "PATH='" + pathWith({c.tool}) + "' " + session("", "x11", x.display()));
    ASSERT_EQ(r.status, 0) << c.tool << ": " << r.out;
    EXPECT_NE(r.out.find("with X11 (" + c.tool + "), " + c.how), std::string::npos) << r.out;
    const std::string env = "DISPLAY=" + x.display() + " ";
    EXPECT_NE(shell(env + "xprop -root _XROOTPMAP_ID").out.find("pixmap id"), std::string::npos) << c.tool;
    // What the screen shows is the bitmap repeated at its own size (hsetroot
    // centres the repeats, the others start them at the top-left corner),
    // or once, for a picture of the screen's size.
    const std::string shot = (root / "shot.png").string();
    ASSERT_EQ(shell(env + "import -window root '" + shot + "'").status, 0);
    const auto origin = tileOrigin(rgbOf(shot), 320, 240, rgbOf((windows / "velmora.bmp").string()), c.width, c.height);
    ASSERT_TRUE(origin.has_value()) << c.tool << " " << c.width << " x " << c.height << ": not the picture repeated";
    if (c.width == 320 || c.tool != "hsetroot") {
      EXPECT_EQ(*origin, (std::pair{0, 0})) << c.tool << " " << c.width << " x " << c.height;
    }
  }
}

TEST_F(DesktopApply, ScreenSizeComesFromThePrimaryMonitor) {
  XvfbServer x(320, 240);
  if (x.display().empty()) GTEST_SKIP() << "Xvfb is not installed";
  Outcome r = velmora("settings --screen", session("", "x11", x.display()));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Screen: 320 x 240 (X11: RandR monitor screen"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("size_x = 320\nsize_y = 240\n"), std::string::npos) << r.out;

  // Two monitors: the one marked primary counts; with none marked, the first.
  const std::string xrandr = "DISPLAY=" + x.display() + " xrandr ";
  ASSERT_EQ(shell(xrandr + "--setmonitor left 200/50x150/40+0+0 none >/dev/null 2>&1").status, 0);
  ASSERT_EQ(shell(xrandr + "--output screen --primary >/dev/null 2>&1").status, 0);
  r = velmora("settings --screen", session("", "x11", x.display()));
  EXPECT_NE(r.out.find("Screen: 320 x 240 (X11: RandR monitor screen (primary))"), std::string::npos) << r.out;
  ASSERT_EQ(shell(xrandr + "--noprimary >/dev/null 2>&1").status, 0);
  r = velmora("settings --screen", session("", "x11", x.display()));
  EXPECT_NE(r.out.find("Screen: 200 x 150 (X11: RandR monitor left (no monitor is marked primary: the first)"),
            std::string::npos)
      << r.out;

  r = velmora("settings --screen", session("", "tty"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("X11: DISPLAY is not set; Wayland: WAYLAND_DISPLAY is not set)"), std::string::npos) << r.out;
  EXPECT_NE(velmora("settings --screen --width 5", session("", "x11", x.display())).status, 0);
}

TEST_F(DesktopApply, DesktopsThatOnlyRunInTheirSessionGetTheirToolsArguments) {
  generate(64, 64, 3);
  struct Case {
    std::string desktop, type, tool, expected;
  };
  const Case cases[] = {
      {"KDE", "wayland", "dbus-send",
       "dbus-send --session --print-reply --dest=org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript "
       "string:var all = desktops();"},
      {"LXQt", "x11", "pcmanfm-qt", "pcmanfm-qt --set-wallpaper=%s --wallpaper-mode=tile"},
      {"LXDE", "x11", "pcmanfm", "pcmanfm --set-wallpaper=%s --wallpaper-mode=tile"},
  };
  int n = 0;
  for (const Case& c : cases) {
    fs::remove_all(root / "bin");
    fs::remove(root / "calls");
    const std::string bin = recordingTool(c.tool);
    const Outcome r = velmora("apply", "PATH='" + bin + ":/usr/bin:/bin' " + session(c.desktop, c.type));
    EXPECT_EQ(r.status, 0) << c.desktop << ": " << r.out;
    std::string expected = c.expected;
    ++n;
    if (const std::size_t at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, copy(n));
    const std::string calls = readAll(root / "calls");
    EXPECT_EQ(calls.substr(0, expected.size()), expected) << c.desktop;
    if (c.tool == "dbus-send") {
      EXPECT_NE(calls.find("writeConfig(\"FillMode\", 3)"), std::string::npos) << calls;
      EXPECT_NE(calls.find("writeConfig(\"Image\", \"file://" + copy(n) + "\")"), std::string::npos) << calls;
    }
  }

}

TEST_F(DesktopApply, WaylandCompositorsShowThePictureTiledOrFilled) {
  for (const char* tool : {"sway", "swaybg", "grim"}) {
    if (!installed(tool)) GTEST_SKIP() << tool << " is not installed";
  }
  // What the compositor shows, once the picture is up: where the picture
  // repeats from, or none.
  const auto shown = [&](const SwayServer& sway, int w, int h) {
    std::optional<std::pair<int, int>> origin;
    const std::string shot = (root / "shot.png").string();
    for (int i = 0; i < 30 && !origin; ++i) {
      if (i) shell("sleep 0.1");
      if (shell(sway.env() + " grim '" + shot + "'").status != 0) continue;
      origin = tileOrigin(rgbOf(shot), 320, 240, rgbOf((windows / "velmora.bmp").string()), w, h);
    }
    return origin;
  };

  {
    // A compositor without a wallpaper setting of its own: swaybg.
    SwayServer sway(root / "wayland", 320, 240);
    ASSERT_FALSE(sway.env().empty()) << "sway did not start";
    const std::string env = session("river", "wayland") + " " + sway.env();
    Outcome r = velmora("settings --screen", env);
    EXPECT_NE(r.out.find("Screen: 320 x 240 (Wayland: the first output's current mode)\n"), std::string::npos) << r.out;

    generate(64, 64, 31);
    r = velmora("apply", env);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("with Wayland (swaybg), tiled"), std::string::npos) << r.out;
    EXPECT_EQ(shown(sway, 64, 64), (std::pair{0, 0}));
    const fs::path pidFile = root / "wayland" / ("velmora-swaybg-" + std::to_string(::getuid()) + ".pid");
    const std::string first = readAll(pidFile);
    ASSERT_FALSE(first.empty());

    // The next picture takes over and the swaybg before it is stopped.
    generate(320, 240, 32);
    r = velmora("apply", env);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("with Wayland (swaybg), filling the screen"), std::string::npos) << r.out;
    EXPECT_EQ(shown(sway, 320, 240), (std::pair{0, 0}));
    EXPECT_NE(readAll(pidFile), first);
    const std::string state = readAll("/proc/" + first.substr(0, first.size() - 1) + "/stat");
    EXPECT_TRUE(state.empty() || state.find(") Z") != std::string::npos) << "the first swaybg still runs: " << state;
  }
  {
    // sway sets it itself.
    SwayServer sway(root / "sway", 320, 240);
    ASSERT_FALSE(sway.env().empty()) << "sway did not start";
    generate(48, 40, 33);
    const Outcome r = velmora("apply", session("sway", "wayland") + " " + sway.env());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("with sway (swaymsg), tiled"), std::string::npos) << r.out;
    EXPECT_EQ(shown(sway, 48, 40), (std::pair{0, 0}));
  }
}

}  // namespace
