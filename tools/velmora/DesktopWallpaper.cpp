#include "DesktopWallpaper.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "ScreenSize.h"
#include "platform/Programs.h"

extern char** environ;

namespace velmora {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// file:// URI of an absolute path, with everything but unreserved bytes and
// slashes percent-encoded.
std::string fileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

bool run(std::vector<std::string> argv) { return platform::runAndWait(argv) == 0; }

// GNOME, Budgie, Cinnamon and MATE keep the wallpaper in GSettings. The
// placement goes first, so the redraw that the new picture starts already
// uses it.
bool setGSettings(const std::string& schema, const std::string& pictureKey, const std::string& value, Fit fit) {
  if (!run({"gsettings", "set", schema, "picture-options", fit == Fit::Tile ? "wallpaper" : "zoom"})) return false;
  return run({"gsettings", "set", schema, pictureKey, value});
}

bool setGnome(const std::string& path, Fit fit) {
  const std::string schema = "org.gnome.desktop.background";
  if (!setGSettings(schema, "picture-uri", fileUri(path), fit)) return false;
  // GNOME 42 and later show picture-uri-dark with the dark style; older
  // schemas have no such key. The picture is in use from here on, so the
  // result is true even if this last step fails (the copy must stay).
  if (run({"gsettings", "range", schema, "picture-uri-dark"})) {
    run({"gsettings", "set", schema, "picture-uri-dark", fileUri(path)});
  }
  return true;
}

bool setCinnamon(const std::string& path, Fit fit) {
  return setGSettings("org.cinnamon.desktop.background", "picture-uri", fileUri(path), fit);
}

bool setMate(const std::string& path, Fit fit) {
  return setGSettings("org.mate.background", "picture-filename", path, fit);
}

// XFCE keeps a picture and a style for every monitor and workspace. The
// existing ones are all set; when there are none yet, they are made for
// every monitor X11 knows and every workspace of the window manager.
bool setXfce(const std::string& path, Fit fit) {
  const std::string channel = "xfce4-desktop";
  const std::string style = fit == Fit::Tile ? "2" : "5";  // tiled, zoomed
  bool ok = false;
  const std::string listing = platform::runAndCapture({"xfconf-query", "-c", channel, "-l"}, &ok);
  std::vector<std::string> images;
  std::istringstream lines(listing);
  for (std::string property; std::getline(lines, property);) {
    if (property.starts_with("/backdrop/") && property.ends_with("/last-image")) images.push_back(property);
  }
  if (images.empty()) {
    std::vector<std::string> monitors;
    if (const auto screen = x11Screen(nullptr)) monitors = screen->monitors;
    if (monitors.empty()) monitors.push_back("0");
    bool counted = false;
    const std::string count =
        platform::runAndCapture({"xfconf-query", "-c", "xfwm4", "-p", "/general/workspace_count"}, &counted);
    const int workspaces = counted ? std::clamp(std::atoi(count.c_str()), 1, 64) : 1;
    for (const std::string& monitor : monitors) {
      for (int w = 0; w < workspaces; ++w) {
        images.push_back("/backdrop/screen0/monitor" + monitor + "/workspace" + std::to_string(w) + "/last-image");
      }
    }
  }
  // True once any monitor shows the picture: the copy is in use then.
  bool any = false;
  for (const std::string& image : images) {
    const std::string folder = image.substr(0, image.size() - std::string("last-image").size());
    run({"xfconf-query", "-c", channel, "-p", folder + "image-style", "-n", "-t", "int", "-s", style});
    any = run({"xfconf-query", "-c", channel, "-p", image, "-n", "-t", "string", "-s", path}) || any;
  }
  return any;
}

// A string as a JavaScript literal.
std::string scriptString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// Plasma's shell runs a script that sets the picture and its fill mode on
// every desktop (FillMode 3 tiles, 2 covers the screen).
bool setPlasma(const std::string& path, Fit fit) {
  const std::string script =
      "var all = desktops();\n"
      "for (var i = 0; i < all.length; i++) {\n"
      "  var d = all[i];\n"
      "  d.wallpaperPlugin = \"org.kde.image\";\n"
      "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
      "  d.writeConfig(\"FillMode\", " +
      std::string(fit == Fit::Tile ? "3" : "2") +
      ");\n"
      "  d.writeConfig(\"Image\", " +
      scriptString(fileUri(path)) +
      ");\n"
      "}\n";
  return run({"dbus-send", "--session", "--print-reply", "--dest=org.kde.plasmashell", "/PlasmaShell",
              "org.kde.PlasmaShell.evaluateScript", "string:" + script});
}

bool setPlasmaTool(const std::string& path, Fit) { return run({"plasma-apply-wallpaperimage", path}); }

bool setLxqt(const std::string& path, Fit fit) {
  return run({"pcmanfm-qt", "--set-wallpaper=" + path, std::string("--wallpaper-mode=") + (fit == Fit::Tile ? "tile" : "zoom")});
}

bool setLxde(const std::string& path, Fit fit) {
  return run({"pcmanfm", "--set-wallpaper=" + path, std::string("--wallpaper-mode=") + (fit == Fit::Tile ? "tile" : "crop")});
}

bool setSway(const std::string& path, Fit fit) {
  return run({"swaymsg", "output", "*", "bg", path, fit == Fit::Tile ? "tile" : "fill"});
}

// swww draws through its own daemon, which must be running. It cannot tile:
// a small picture is shown once in the middle.
bool setSwww(const std::string& path, Fit fit) {
  if (!run({"swww", "query"})) return false;
  return run({"swww", "img", path, "--resize", fit == Fit::Tile ? "no" : "crop"});
}

// Where the process id of the swaybg that velmora started last is kept.
std::string swaybgPidFile() {
  std::string folder = env("XDG_RUNTIME_DIR");
  if (folder.empty()) folder = "/tmp";
  return folder + "/velmora-swaybg-" + std::to_string(::getuid()) + ".pid";
}

// swaybg shows the picture for as long as it runs: a new one is started in a
// session of its own, and once it is up the one started before is stopped.
bool setSwaybg(const std::string& path, Fit fit) {
  std::vector<std::string> argv = {"swaybg", "-o", "*", "-i", path, "-m", fit == Fit::Tile ? "tile" : "fill"};
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return false;
  // A swaybg that cannot reach the compositor ends at once.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int status = 0;
  if (::waitpid(pid, &status, WNOHANG) == pid) return false;

  const std::string pidFile = swaybgPidFile();
  pid_t previous = 0;
  std::ifstream(pidFile) >> previous;
  if (previous > 0 && previous != pid) {
    std::string comm;
    std::getline(std::ifstream("/proc/" + std::to_string(previous) + "/comm"), comm);
    if (comm == "swaybg") ::kill(previous, SIGTERM);
  }
  std::ofstream(pidFile) << pid << "\n";
  return true;
}

bool setFeh(const std::string& path, Fit fit) {
  return run({"feh", "--no-fehbg", fit == Fit::Tile ? "--bg-tile" : "--bg-fill", path});
}

bool setXwallpaper(const std::string& path, Fit fit) {
  return run({"xwallpaper", fit == Fit::Tile ? "--tile" : "--zoom", path});
}

bool setHsetroot(const std::string& path, Fit fit) {
  return run({"hsetroot", fit == Fit::Tile ? "-tile" : "-cover", path});
}

enum class Kind { Named, OtherWayland, BareX11 };

struct Way {
  const char* desktop;             // as people call it
  const char* program;             // what it needs
  Kind kind;
  std::vector<const char*> names;  // XDG_CURRENT_DESKTOP entries it serves
  std::function<bool(const std::string&, Fit)> set;
};

const std::vector<Way>& ways() {
  static const std::vector<Way> all = {
      {"Budgie", "gsettings", Kind::Named, {"budgie"}, setGnome},
      {"GNOME", "gsettings", Kind::Named, {"gnome", "gnome-classic", "gnome-flashback", "unity", "ubuntu", "pantheon"},
       setGnome},
      {"Cinnamon", "gsettings", Kind::Named, {"cinnamon", "x-cinnamon"}, setCinnamon},
      {"MATE", "gsettings", Kind::Named, {"mate"}, setMate},
      {"XFCE", "xfconf-query", Kind::Named, {"xfce"}, setXfce},
      {"KDE Plasma", "dbus-send", Kind::Named, {"kde"}, setPlasma},
      {"KDE Plasma", "plasma-apply-wallpaperimage", Kind::Named, {"kde"}, setPlasmaTool},
      {"LXQt", "pcmanfm-qt", Kind::Named, {"lxqt"}, setLxqt},
      {"LXDE", "pcmanfm", Kind::Named, {"lxde"}, setLxde},
      {"sway", "swaymsg", Kind::Named, {"sway"}, setSway},
      {"Wayland", "swww", Kind::OtherWayland, {}, setSwww},
      {"Wayland", "swaybg", Kind::OtherWayland, {}, setSwaybg},
      {"X11", "feh", Kind::BareX11, {}, setFeh},
      {"X11", "xwallpaper", Kind::BareX11, {}, setXwallpaper},
      {"X11", "hsetroot", Kind::BareX11, {}, setHsetroot},
  };
  return all;
}

}  // namespace

int applyWallpaper(const std::string& path, Fit fit, std::ostream& out, std::ostream& err) {
  std::vector<std::string> desktops;
  std::istringstream names(lower(env("XDG_CURRENT_DESKTOP")));
  for (std::string n; std::getline(names, n, ':');) desktops.push_back(n);
  const std::string sessionType = lower(env("XDG_SESSION_TYPE"));
  const bool wayland = sessionType == "wayland" || (sessionType.empty() && !env("WAYLAND_DISPLAY").empty());
  const bool x11 = !wayland && !env("DISPLAY").empty();

  const auto serves = [&](const Way& way) {
    return std::any_of(way.names.begin(), way.names.end(), [&](const char* n) {
      return std::find(desktops.begin(), desktops.end(), n) != desktops.end();
    });
  };
  // The generic ways are for compositors and window managers that keep no
  // wallpaper setting of their own.
  const bool known = std::any_of(ways().begin(), ways().end(), serves);

  std::vector<std::string> tried;
  for (const Way& way : ways()) {
    const bool fits = way.kind == Kind::Named          ? serves(way)
                      : way.kind == Kind::OtherWayland ? wayland && !known
                                                       : x11 && !known;
    if (!fits) continue;
    const std::string label = std::string(way.desktop) + " (" + way.program + ")";
    if (platform::findProgram(way.program).empty()) {
      tried.push_back(label + ": not installed");
      continue;
    }
    if (way.set(path, fit)) {
      out << "Desktop wallpaper set to " << path << " with " << label << ", "
          << (fit == Fit::Tile ? "tiled" : "filling the screen") << "\n";
      return 0;
    }
    tried.push_back(label + ": failed");
  }
  err << "velmora: cannot set the desktop wallpaper: ";
  if (tried.empty()) {
    err << "no supported desktop found (XDG_CURRENT_DESKTOP is '" << env("XDG_CURRENT_DESKTOP")
        << "', XDG_SESSION_TYPE is '" << env("XDG_SESSION_TYPE")
        << "'; supported are GNOME, Budgie, Cinnamon, MATE, XFCE, KDE Plasma, LXQt, LXDE and sway, swww or swaybg on "
           "other Wayland compositors, and feh, xwallpaper or hsetroot on X11, which needs DISPLAY)";
  } else {
    for (std::size_t i = 0; i < tried.size(); ++i) err << (i ? "; " : "tried ") << tried[i];
  }
  err << "\n";
  return 1;
}

}  // namespace velmora
