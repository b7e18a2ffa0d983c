#include <cstring>
#include <string>

#include "platform/Drives.h"
#include "platform/SystemDirs.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {


// Each directory variable has a 256-byte buffer of its own.
char dirBuffers[kSystemVarCount][kDirBufferSize];

void setDirectory(SystemVar k, const std::string& text) {
  Variable& v = systemVariables()[k];
  char* buf = dirBuffers[k];
  const std::size_t n = text.size() < kDirBufferSize ? text.size() : kDirBufferSize - 1;
  std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  v.string = buf;
  v.type = 1;
}

void setNumber(SystemVar k, std::int32_t n) {
  Variable& v = systemVariables()[k];
  v.number = n;
  v.type = 0;
}

void setFreeSpace(std::string_view root) {
  platform::DiskSpace space;
  std::uint32_t bytes = 0;
  if (platform::diskFreeSpace(root, &space))
    bytes = space.freeClusters * space.bytesPerSector * space.sectorsPerCluster;  // wraps above 4 GiB
  setNumber(kFreeSpace, static_cast<std::int32_t>(bytes));
}

void setDriveType() {
  const std::uint32_t code = platform::driveType("");
  if (code <= 6) {
    Variable& v = systemVariables()[kDriveType];
    v.string = kDriveTypeWords[code];
    v.type = 1;
  }
}

}  // namespace

void fillSystemVariables(std::int32_t programInstance) {
  const std::string current = platform::currentDirectory();
  const std::string windows = platform::windowsDirectory();
  systemVariables() = {};
  setDirectory(kStartDir, current);
  setDirectory(kWindowsDir, windows);
  setDirectory(kSystemDir, platform::systemDirectory());
  setNumber(kProgramInstance, programInstance);
  Variable& logName = systemVariables()[kLogName];
  logName.string = logNameBuffer();
  logName.type = 1;
  setFreeSpace("");
  Variable& driveType = systemVariables()[kDriveType];
  driveType.string = kDriveTypeWords[0];
  driveType.type = 1;
  setDriveType();
  setDirectory(kSourceDir, current);
  setDirectory(kBackupDir, current);
  setNumber(kBackupOn, 0);
  setDirectory(kLogTarget, windows);
  setNumber(kMoveLog, 0);
}

void refreshDriveInfo(const char* path) {
  // The root is the path up to its ':' and a backslash; without a drive
  // part the current directory's drive is asked.
  std::string root;
  if (path) {
    const char* colon = std::strchr(path, ':');
    if (colon) root.assign(path, static_cast<std::size_t>(colon - path) + 1).append("\\");
  }
  setFreeSpace(root);
  setDriveType();
}

}  // namespace setup
