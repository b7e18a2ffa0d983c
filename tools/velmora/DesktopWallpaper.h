#pragma once
// Pointing the Linux desktop's wallpaper at a picture file.
#include <ostream>
#include <string>

namespace velmora {

// How the picture covers the screen: repeated from the top-left corner, or
// scaled to cover the whole screen.
enum class Fit { Tile, Fill };

// Sets the wallpaper with the first way that fits the running desktop, as
// XDG_CURRENT_DESKTOP and the session type (XDG_SESSION_TYPE, DISPLAY,
// WAYLAND_DISPLAY) tell: GNOME, Budgie, Cinnamon, MATE, XFCE, KDE Plasma,
// LXQt, LXDE, sway; on another Wayland compositor swww or swaybg; on a bare
// X11 display feh, xwallpaper or hsetroot. Says what it did on `out`, or on
// `err` what it tried. Returns the exit status: 0 once the desktop refers
// to `path`, even where a secondary setting could not be made.
int applyWallpaper(const std::string& path, Fit fit, std::ostream& out, std::ostream& err);

}  // namespace velmora
