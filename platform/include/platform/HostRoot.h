#pragma once
// Where the Linux host keeps what Windows keeps in drives and the registry:
// $VELMORA_ROOT, or $XDG_DATA_HOME/velmora, or ~/.local/share/velmora.
// "C:\" is <root>/drive_c/ (drive letters in lower case) and, as under Wine,
// "Z:\" is the Linux root directory.
#include <string>
#include <string_view>

namespace platform {

std::string hostRoot();

// Maps a Windows-style path to a host path. Relative paths keep being
// relative; backslashes become slashes.
std::string hostPathFor(std::string_view windowsPath);

// For fuzzing and tests that run scripts naming any path (set it before any
// other thread starts): every mapped path that would lead out of the root
// (drive Z:, an absolute host path, "..") goes to <root>/outside instead.
// The environment variable VELMORA_CONFINE=1 sets it for a whole program.
void confineToHostRoot(bool on);

}  // namespace platform
