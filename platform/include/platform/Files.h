#pragma once
// Whole-file access by Windows-style path ("c:\windows\velmora.bmp").
// On Windows the path is used as it is; the Linux host maps drive letters
// below its root (see HostRoot.h).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes the bytes to a temporary file beside `path` and renames it into
// place, so readers see the old file or the new one, never a partial one.
// Returns false (and leaves any existing file alone) when that fails.
bool replaceFile(std::string_view path, std::span<const std::uint8_t> bytes);

// Reads a file's first `maxBytes` bytes (all of it when it is shorter);
// nullopt when it cannot be opened.
std::optional<std::vector<std::uint8_t>> readFile(std::string_view path, std::uint64_t maxBytes);

// The OS path that `path` names: unchanged on Windows, mapped on the host.
std::string nativePath(std::string_view path);

}  // namespace platform
