#pragma once
// The fixed version record of a program file (a PE file's VS_FIXEDFILEINFO
// in its version resource), read by a small parser of our own over the file
// service, on every build.
#include <cstdint>
#include <string_view>

namespace platform {

struct FileVersion {
  std::uint32_t fileVersionMs = 0;  // major << 16 | minor
  std::uint32_t fileVersionLs = 0;  // build << 16 | revision
  std::uint32_t fileType = 0;       // VFT_APP 1, VFT_DLL 2, ...
  std::uint32_t language = 0;       // of the first string table, e.g. 0x0816
  std::uint32_t codePage = 0;       // of the first string table, e.g. 1252
};

// kErrorSuccess and the version; kErrorFileNotFound for a missing file;
// kErrorResourceTypeNotFound (1813) when the file has no version resource
// or is not a PE file.
std::int32_t readFileVersion(std::string_view path, FileVersion* version);

}  // namespace platform
