// Pass 3: the backup folder's files and the folder, the log itself, then the
// folders the installation made, the last made first.
#include <string>
#include <vector>

#include "UninstallerState.h"

namespace uninstall {
namespace {

// The backed-up files are discarded, not copied back; sub-folders stay.
void removeBackups(const char* dir) {
  std::vector<platform::DirectoryEntry> entries;
  platform::listDirectory(dir, &entries);
  for (const platform::DirectoryEntry& entry : entries) {
    if (cancelRequested()) return;
    if (!entry.isDirectory) platform::deleteFile(std::string(dir) + "\\" + entry.name);
  }
  platform::removeDirectory(dir);
}

}  // namespace

void undoDirectories() {
  UninstallerState& s = uninstallerState();
  if (s.hasBackupDir) removeBackups(s.backupDir);

  // The made folders, the last one at the head.
  std::vector<std::string> made;
  rewindLog();
  char record[kRecordBytes];
  char f[1][kRecordBytes];
  while (readRecord(record))
    if (recordKind(record) == setup::kRecMkdir && readOperands(record, 1, f) && f[0][0] != '\0')
      made.insert(made.begin(), f[0]);

  // Up to here a cancel leaves the log for another run; past here the log is
  // gone and the folders follow it.
  if (cancelRequested()) return;
  closeLog();
  // A failed read or registry change keeps the log for another run; the
  // folders go as far as they can (the log's own stays with it).
  if (!s.undoFailed) platform::deleteFile(s.logPath);
  for (const std::string& dir : made) platform::removeDirectory(dir);
}

}  // namespace uninstall
