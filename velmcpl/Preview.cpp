// The preview image: velmgen keeps the header and pixels of the last loaded
// file; the section they live in is ours and must outlive them.
#include <windows.h>

#include "Applet.h"
#include "velmgen/Exports.h"

namespace velmcpl {
namespace {
HBITMAP shownSection = nullptr;  // the section lastBITS points into
}

void reloadPreview() {
  HBITMAP loaded = static_cast<HBITMAP>(loadbmp(kWallpaperFile));
  // Once loadbmp returns, lastDIB and lastBITS no longer refer to the
  // previous section, so it can go.
  if (shownSection) DeleteObject(shownSection);
  shownSection = loaded;
}

}  // namespace velmcpl
