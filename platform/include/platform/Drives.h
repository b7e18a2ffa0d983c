#pragma once
// Free space and kind of a drive, named by its root ("C:\"). An empty root
// names the drive of the current directory.
#include <cstdint>
#include <string_view>

namespace platform {

struct DiskSpace {
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t freeClusters = 0;
  std::uint32_t totalClusters = 0;
};

// False when the drive cannot be asked.
bool diskFreeSpace(std::string_view root, DiskSpace* space);

// The system's drive type codes.
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRoot = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;
inline constexpr std::uint32_t kDriveRamdisk = 6;

// On the Linux host a drive letter is fixed when its folder exists under the
// root, and Z: always is; other letters have no root.
std::uint32_t driveType(std::string_view root);

}  // namespace platform
