#pragma once
// Showing the wallpaper file on the Linux desktop.
#include <ostream>
#include <string>

namespace velmora {

// Reads the bitmap at `bitmapPath` (left as it is), writes it as the next
// numbered PNG beside it, points the desktop at that PNG, tiled when the
// picture is smaller than the screen, and keeps the two newest PNGs. Says
// what it did on `out`, or on `err` why not. Returns the exit status.
int applyBitmap(const std::string& bitmapPath, std::ostream& out, std::ostream& err);

}  // namespace velmora
