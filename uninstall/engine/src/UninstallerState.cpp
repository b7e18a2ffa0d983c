#include "UninstallerState.h"

#include <algorithm>
#include <cstring>

namespace uninstall {

UninstallerState& uninstallerState() {
  static UninstallerState state;
  return state;
}

void rewindLog() {
  UninstallerState& s = uninstallerState();
  s.next = s.filled = 0;
  s.bufferStart = 0;
  s.atEnd = false;
  s.recordStart = -1;
  if (s.log.isOpen()) platform::seekFile(s.log, 0);
}

bool cancelRequested() {
  UninstallerState& s = uninstallerState();
  if (!s.cancelled && s.progress && s.progress->cancelRequested)
    s.cancelled = s.progress->cancelRequested(s.progress->context);
  return s.cancelled;
}

namespace {

void markRecord(char mark) {
  UninstallerState& s = uninstallerState();
  if (s.recordStart < 0) return;
  platform::FileHandle file;
  if (platform::openForUpdate(s.logPath, false, &file) != 0) return;
  if (platform::seekFile(file, static_cast<std::uint64_t>(s.recordStart)) == 0) platform::writeSome(file, &mark, 1);
  platform::closeFile(file);
}

}  // namespace

void markRecordDone() { markRecord(';'); }
void markRecordUndone() { markRecord('['); }

void noteRegistryResult(std::int32_t result) {
  switch (result) {
    case platform::kErrorSuccess:
    case platform::kErrorFileNotFound:  // gone already
    case platform::kErrorKeyDeleted:
    case platform::kErrorBadPathname:       // no key can have that name
    case platform::kErrorInvalidParameter:
    case platform::kErrorAccessDenied:  // a key that still has subkeys stays, as it should
      return;
    default:
      uninstallerState().undoFailed = true;
  }
}

void closeLog() {
  UninstallerState& s = uninstallerState();
  if (s.log.isOpen()) platform::closeFile(s.log);
  rewindLog();
}

std::string logPathFromCommandLine(std::string_view line) {
  if (line.size() >= 2 && line.front() == '"') {
    const std::size_t close = line.find('"', 1);
    if (close != std::string_view::npos && line.find_first_not_of(' ', close + 1) == std::string_view::npos)
      return std::string(line.substr(1, close - 1));
  }
  return std::string(line);
}

int loadLog(std::string_view path) {
  UninstallerState& s = uninstallerState();
  closeLog();
  s.logPath = std::string(path);
  s.appName[0] = '\0';
  s.backupDir[0] = '\0';
  s.hasBackupDir = false;
  s.cancelled = false;
  s.undoFailed = false;
  if (platform::openForReading(s.logPath, &s.log) != 0) return 1;

  char record[kRecordBytes];
  char name[1][kRecordBytes];
  while (readRecord(record)) {
    if (recordKind(record) != setup::kRecUninstallAppName || !readOperands(record, 1, name)) continue;
    // Only shown: a longer name is cut to the buffer.
    const std::size_t n = std::min(std::strlen(name[0]), kAppNameBytes - 1);
    std::memcpy(s.appName, name[0], n);
    s.appName[n] = '\0';
  }
  rewindLog();
  return 0;
}

const char* appName() { return uninstallerState().appName; }

bool runPasses(const UninstallProgress& progress) {
  UninstallerState& s = uninstallerState();
  s.progress = &progress;
  void (*const passes[])() = {undoRegistry, undoFiles, undoDirectories};
  for (int pass = 1; pass <= 3 && !cancelRequested(); ++pass) {
    if (progress.passBegins) progress.passBegins(progress.context, pass);
    passes[pass - 1]();
  }
  const bool done = !s.cancelled;
  if (done && progress.finished) progress.finished(progress.context);
  s.progress = nullptr;
  return done;
}

}  // namespace uninstall
