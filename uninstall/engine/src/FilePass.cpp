// Pass 2: copied files and shared-file counts; the backup folder is noted
// for pass 3.
#include <cstring>

#include "UninstallerState.h"
#include "platform/Registry.h"

namespace uninstall {
namespace {

// One user fewer of a shared file. The file goes with its count's last
// user. A count that cannot be read as 4 bytes, or that is 0 or below
// already, says nothing about who still uses the file: file and count stay.
// False when the count could not be changed: the record is then acted on
// again by another run.
bool releaseSharedFile(const char* path) {
  platform::RegKey key;
  const platform::RegKey machine = platform::regRoot(platform::RegRoot::LocalMachine);
  if (platform::regOpenKey(machine, setup::kSharedDllsKey, platform::RegAccess::All, &key) != 0) return true;
  bool changed = true;
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  if (platform::regQueryValue(key, path, nullptr, bytes, &size) == 0 && size == sizeof bytes) {
    const std::int32_t count = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                         static_cast<std::uint32_t>(bytes[3]) << 24);
    if (count == 1) {
      const std::int32_t result = platform::regDeleteValue(key, path);
      noteRegistryResult(result);
      changed = result == platform::kErrorSuccess;
      // The file goes only with its count, or the count would outlive it.
      if (changed) platform::deleteFile(path);
    } else if (count > 1) {
      const std::uint32_t left = static_cast<std::uint32_t>(count - 1);
      const std::uint8_t out[4] = {static_cast<std::uint8_t>(left), static_cast<std::uint8_t>(left >> 8),
                                   static_cast<std::uint8_t>(left >> 16), static_cast<std::uint8_t>(left >> 24)};
      const std::int32_t result = platform::regSetValue(key, path, platform::kRegDword, out);
      noteRegistryResult(result);
      changed = result == platform::kErrorSuccess;
    }
  }
  platform::regCloseKey(key);
  return changed;
}

}  // namespace

void undoFiles() {
  UninstallerState& s = uninstallerState();
  rewindLog();
  char record[kRecordBytes];
  char f[1][kRecordBytes];
  while (readRecord(record)) {
    const int kind = recordKind(record);
    if (kind < 0) continue;
    if (cancelRequested()) return;
    if (kind != setup::kRecCopy && kind != setup::kRecSharedCopy && kind != setup::kRecBackup) continue;
    if (!readOperands(record, 1, f) || f[0][0] == '\0') continue;
    switch (kind) {
      case setup::kRecCopy:
        platform::deleteFile(f[0]);
        break;
      case setup::kRecSharedCopy:
        // Marked first: a run stopped right after this never takes the
        // same user away twice.
        markRecordDone();
        if (!releaseSharedFile(f[0])) markRecordUndone();
        break;
      case setup::kRecBackup:
        std::memcpy(s.backupDir, f[0], kRecordBytes);
        s.hasBackupDir = true;
        break;
    }
  }
}

}  // namespace uninstall
