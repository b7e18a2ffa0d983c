#include "platform/Drives.h"

#include <windows.h>

#include <string>

namespace platform {

bool diskFreeSpace(std::string_view root, DiskSpace* space) {
  if (!space) return false;
  const std::string r(root);
  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceA(r.empty() ? nullptr : r.c_str(), &spc, &bps, &freeClusters, &total)) return false;
  space->sectorsPerCluster = spc;
  space->bytesPerSector = bps;
  space->freeClusters = freeClusters;
  space->totalClusters = total;
  return true;
}

std::uint32_t driveType(std::string_view root) {
  const std::string r(root);
  return GetDriveTypeA(r.empty() ? nullptr : r.c_str());
}

}  // namespace platform
