#include "DesktopWallpaper.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <vector>

#include "platform/Programs.h"

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

bool setGnome(const std::string& path) {
  const std::string uri = fileUri(path);
  if (!run({"gsettings", "set", "org.gnome.desktop.background", "picture-uri", uri})) return false;
  run({"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark", uri});  // newer GNOME only
  return true;
}

bool setCinnamon(const std::string& path) {
  return run({"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", fileUri(path)});
}

bool setMate(const std::string& path) {
  return run({"gsettings", "set", "org.mate.background", "picture-filename", path});
}

// Every monitor and workspace has its own last-image property.
bool setXfce(const std::string& path) {
  bool ok = false;
  const std::string listing = platform::runAndCapture({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &ok);
  if (!ok) return false;
  std::istringstream lines(listing);
  std::string property;
  bool any = false;
  while (std::getline(lines, property)) {
    if (property.size() >= 11 && property.compare(property.size() - 11, 11, "/last-image") == 0) {
      any = run({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", path}) || any;
    }
  }
  if (!any) {
    any = run({"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitor0/workspace0/last-image", "-n",
               "-t", "string", "-s", path});
  }
  return any;
}

bool setPlasma(const std::string& path) { return run({"plasma-apply-wallpaperimage", path}); }
bool setFeh(const std::string& path) { return run({"feh", "--no-fehbg", "--bg-fill", path}); }
bool setXwallpaper(const std::string& path) { return run({"xwallpaper", "--zoom", path}); }

struct Way {
  const char* desktop;             // as people call it
  const char* program;             // what it needs
  std::vector<const char*> names;  // XDG_CURRENT_DESKTOP entries it serves; empty: bare X11
  std::function<bool(const std::string&)> set;
};

}  // namespace

int applyWallpaper(const std::string& path, std::ostream& out, std::ostream& err) {
  const std::vector<Way> ways = {
      {"GNOME", "gsettings", {"gnome", "unity", "budgie", "pantheon", "ubuntu"}, setGnome},
      {"Cinnamon", "gsettings", {"cinnamon", "x-cinnamon"}, setCinnamon},
      {"MATE", "gsettings", {"mate"}, setMate},
      {"XFCE", "xfconf-query", {"xfce"}, setXfce},
      {"KDE Plasma", "plasma-apply-wallpaperimage", {"kde"}, setPlasma},
      {"X11", "feh", {}, setFeh},
      {"X11", "xwallpaper", {}, setXwallpaper},
  };
  std::vector<std::string> desktops;
  std::istringstream names(lower(env("XDG_CURRENT_DESKTOP")));
  for (std::string n; std::getline(names, n, ':');) desktops.push_back(n);
  const bool x11 = !env("DISPLAY").empty();

  std::vector<std::string> tried;
  for (const Way& way : ways) {
    const bool fits = way.names.empty() ? x11 : std::any_of(way.names.begin(), way.names.end(), [&](const char* n) {
      return std::find(desktops.begin(), desktops.end(), n) != desktops.end();
    });
    if (!fits) continue;
    const std::string label = std::string(way.desktop) + " (" + way.program + ")";
    if (platform::findProgram(way.program).empty()) {
      tried.push_back(label + ": not installed");
      continue;
    }
    if (way.set(path)) {
      out << "Desktop wallpaper set to " << path << " with " << label << "\n";
      return 0;
    }
    tried.push_back(label + ": failed");
  }
  err << "velmora: cannot set the desktop wallpaper: ";
  if (tried.empty()) {
    err << "no supported desktop found (XDG_CURRENT_DESKTOP is '" << env("XDG_CURRENT_DESKTOP")
        << "'; GNOME, Cinnamon, MATE, XFCE and KDE Plasma are supported, and feh or xwallpaper on X11, which needs "
           "DISPLAY)";
  } else {
    for (std::size_t i = 0; i < tried.size(); ++i) err << (i ? "; " : "tried ") << tried[i];
  }
  err << "\n";
  return 1;
}

}  // namespace velmora
