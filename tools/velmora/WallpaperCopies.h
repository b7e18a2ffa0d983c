#pragma once
// The numbered PNG copies of the wallpaper that desktops are pointed at:
// velmora-1.png, velmora-2.png and so on beside the bitmap file. Every apply
// takes a new name, so that a desktop sees its setting change and redraws
// whether or not it watches the file; older copies are removed.
#include <filesystem>

namespace velmora {

// The next copy's path in `folder`: one number past the highest there.
std::filesystem::path nextCopyPath(const std::filesystem::path& folder);

// Removes all but the `keep` highest-numbered copies in `folder`.
void keepNewestCopies(const std::filesystem::path& folder, std::size_t keep);

}  // namespace velmora
