#pragma once
// The fixed version record of a program file (a PE file's VS_FIXEDFILEINFO
// in its version resource), read by a small parser of our own over the file
// service, on every build.
#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

struct FileVersion {
  std::uint32_t fileVersionMs = 0;     // major << 16 | minor
  std::uint32_t fileVersionLs = 0;     // build << 16 | revision
  std::uint32_t productVersionMs = 0;
  std::uint32_t productVersionLs = 0;
  std::uint32_t fileType = 0;          // VFT_APP 1, VFT_DLL 2, ...
  std::uint32_t fileSubtype = 0;
  std::uint32_t language = 0;          // of the first string table, e.g. 0x0816
  std::uint32_t codePage = 0;          // of the first string table, e.g. 1252
};

// kErrorSuccess and the version; kErrorFileNotFound (or another file error)
// when the file cannot be read; kErrorResourceTypeNotFound (1813) when the
// file has no version resource or is not a PE file.
std::int32_t readFileVersion(std::string_view path, FileVersion* version);

// The same over a file's bytes. Every offset is checked against the bytes,
// so a damaged or hostile file gives kErrorResourceTypeNotFound.
std::int32_t parseFileVersion(std::span<const std::uint8_t> image, FileVersion* version);

// Orders two versions by file version (most significant part first):
// negative, 0 or positive.
int compareFileVersions(const FileVersion& a, const FileVersion& b);

}  // namespace platform
