#pragma once
// Pointing the Linux desktop's wallpaper at a file.
#include <ostream>
#include <string>

namespace velmora {

// Sets the wallpaper with the first way that fits the running desktop:
// GNOME (and its relatives), Cinnamon, MATE, XFCE, KDE Plasma, then feh or
// xwallpaper on a bare X11 display. Says what it did on `out`, or on `err`
// what it tried. Returns the exit status (0 when set).
int applyWallpaper(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace velmora
