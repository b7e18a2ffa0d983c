#pragma once
// The wallpaper as a PNG file, for desktops that cannot read the bitmap.
#include <string>

#include "velmgen/Picture.h"

namespace velmora {

// Writes `picture` as an indexed PNG with the same pixels and colours as its
// bitmap file. The file appears whole or not at all: it is written beside
// `path` under a temporary name, flushed to disk and renamed over `path`.
// On failure nothing is left behind, `path` keeps what it held, and `why`
// says what went wrong.
bool writePng(const velmgen::Picture& picture, const std::string& path, std::string* why);

}  // namespace velmora
