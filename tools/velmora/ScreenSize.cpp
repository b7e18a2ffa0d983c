#include "ScreenSize.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace velmora {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// What the compositor told about the first output.
struct OutputState {
  wl_output* output = nullptr;
  int width = 0;
  int height = 0;
  std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
  bool done = false;
};

void onGeometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                const char*, const char*, std::int32_t transform) {
  static_cast<OutputState*>(data)->transform = transform;
}

void onMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
  if (flags & WL_OUTPUT_MODE_CURRENT) {
    auto* s = static_cast<OutputState*>(data);
    s->width = width;
    s->height = height;
  }
}

void onDone(void* data, wl_output*) { static_cast<OutputState*>(data)->done = true; }
void onScale(void*, wl_output*, std::int32_t) {}
void onText(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {onGeometry, onMode, onDone, onScale, onText, onText};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto* s = static_cast<OutputState*>(data);
  if (s->output || std::strcmp(interface, wl_output_interface.name) != 0) return;
  s->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, version < 2 ? version : 2));
  wl_output_add_listener(s->output, &kOutputListener, s);
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

std::optional<ScreenSize> waylandScreen(std::string* why) {
  if (env("WAYLAND_DISPLAY").empty()) {
    *why += "Wayland: WAYLAND_DISPLAY is not set; ";
    return std::nullopt;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    *why += "Wayland: cannot connect to " + env("WAYLAND_DISPLAY") + "; ";
    return std::nullopt;
  }
  OutputState state;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &state);
  wl_display_roundtrip(display);  // the globals
  if (state.output) wl_display_roundtrip(display);  // the output's geometry and modes
  std::optional<ScreenSize> size;
  if (state.width > 0 && state.height > 0) {
    const bool turned = state.transform % 2 == 1;  // 90 and 270 degrees, flipped or not
    size = ScreenSize{turned ? state.height : state.width, turned ? state.width : state.height,
                      "Wayland: the first output's current mode", {}};
  } else {
    *why += state.output ? "Wayland: the output told no current mode; " : "Wayland: the compositor has no output; ";
  }
  if (state.output) wl_output_destroy(state.output);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return size;
}

}  // namespace

std::optional<ScreenSize> x11Screen(std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  if (env("DISPLAY").empty()) {
    *why += "X11: DISPLAY is not set; ";
    return std::nullopt;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    *why += "X11: cannot open display " + env("DISPLAY") + "; ";
    return std::nullopt;
  }
  ScreenSize size;
  const int screen = DefaultScreen(display);
  int event = 0, error = 0, major = 0, minor = 0;
  int count = 0;
  XRRMonitorInfo* monitors = nullptr;
  if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    monitors = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
  }
  int chosen = -1;
  for (int i = 0; i < count; ++i) {
    char* name = XGetAtomName(display, monitors[i].name);
    size.monitors.push_back(name ? name : "");
    if (name) XFree(name);
    if (chosen < 0 || (monitors[i].primary && !monitors[chosen].primary)) chosen = i;
  }
  if (chosen >= 0) {
    size.width = monitors[chosen].width;
    size.height = monitors[chosen].height;
    size.source = "X11: RandR monitor " + size.monitors[static_cast<std::size_t>(chosen)] +
                  (monitors[chosen].primary ? " (primary)" : " (no monitor is marked primary: the first)");
  } else {
    size.width = DisplayWidth(display, screen);
    size.height = DisplayHeight(display, screen);
    size.source = "X11: the whole screen (no RandR monitors)";
  }
  if (monitors) XRRFreeMonitors(monitors);
  XCloseDisplay(display);
  return size;
}

std::optional<ScreenSize> primaryScreen(std::string* why) {
  std::string ignored;
  if (!why) why = &ignored;
  const bool wayland = env("XDG_SESSION_TYPE") == "wayland";
  if (wayland) {
    if (auto s = waylandScreen(why)) return s;
    return x11Screen(why);
  }
  if (auto s = x11Screen(why)) return s;
  return waylandScreen(why);
}

}  // namespace velmora
