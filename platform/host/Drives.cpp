#include "platform/Drives.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "platform/HostRoot.h"
#include "platform/SystemDirs.h"

namespace platform {
namespace {

// The drive letter of a root, lower case; that of the current directory for "".
char driveOf(std::string_view root) {
  std::string r(root);
  if (r.empty()) r = currentDirectory();
  if (r.size() >= 2 && r[1] == ':' && std::isalpha(static_cast<unsigned char>(r[0])))
    return static_cast<char>(std::tolower(static_cast<unsigned char>(r[0])));
  return 0;
}

std::string driveFolder(char drive) {
  if (drive == 'z') return "/";
  return hostRoot() + "/drive_" + drive;
}

}  // namespace

bool diskFreeSpace(std::string_view root, DiskSpace* space) {
  const char drive = driveOf(root);
  if (!drive || !space) return false;
  struct statvfs st {};
  if (::statvfs(driveFolder(drive).c_str(), &st) != 0) return false;
  // Reported as 4 KiB clusters of eight 512-byte sectors.
  const std::uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
  const std::uint64_t freeBytes = static_cast<std::uint64_t>(st.f_bavail) * unit;
  const std::uint64_t totalBytes = static_cast<std::uint64_t>(st.f_blocks) * unit;
  space->sectorsPerCluster = 8;
  space->bytesPerSector = 512;
  space->freeClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(freeBytes / 4096, UINT32_MAX));
  space->totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(totalBytes / 4096, UINT32_MAX));
  return true;
}

std::uint32_t driveType(std::string_view root) {
  const char drive = driveOf(root);
  if (!drive) return kDriveNoRoot;
  if (drive == 'z') return kDriveFixed;
  std::error_code ec;
  return std::filesystem::is_directory(driveFolder(drive), ec) ? kDriveFixed : kDriveNoRoot;
}

}  // namespace platform
