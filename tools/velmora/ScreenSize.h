#pragma once
// The size of the user's screen: the primary monitor's, in pixels.
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct ScreenSize {
  int width = 0;
  int height = 0;
  std::string source;                 // how it was asked, for the user
  std::vector<std::string> monitors;  // every monitor's name (X11 only)
};

// On X11 (DISPLAY): the RandR monitor marked primary, else the first one,
// else the whole screen. On Wayland (WAYLAND_DISPLAY): the protocol knows no
// primary monitor, so the first output the compositor announces, at its
// current mode and turned as it is. A Wayland session asks Wayland first,
// any other asks X11 first. None when neither answers; `why` says what was
// tried.
std::optional<ScreenSize> primaryScreen(std::string* why);

// The X11 way alone (for callers that need the monitor names).
std::optional<ScreenSize> x11Screen(std::string* why);

}  // namespace velmora
