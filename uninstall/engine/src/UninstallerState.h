#pragma once
// The uninstaller's one state: the open log with its read buffer, the names
// found in it and the front end's progress seam.
#include <cstdint>
#include <string>

#include "platform/FileSystem.h"
#include "uninstall/LogReader.h"
#include "uninstall/Uninstaller.h"

namespace uninstall {

struct UninstallerState {
  std::string logPath;
  platform::FileHandle log;
  // Read buffer: bytes [next, filled) of `bytes` are unread; `bufferStart`
  // is the log offset of bytes[0].
  std::uint8_t bytes[4096] = {};
  std::size_t next = 0;
  std::size_t filled = 0;
  std::int64_t bufferStart = 0;
  bool atEnd = false;  // readRecord met the end of the log
  // Offset of the "[" of the record readRecord gave last.
  std::int64_t recordStart = -1;

  char appName[kAppNameBytes] = {};
  char backupDir[kRecordBytes] = {};
  bool hasBackupDir = false;

  const UninstallProgress* progress = nullptr;
  bool cancelled = false;  // a cancel was seen; the passes stop
  // A read of the log or a registry change failed for a reason other than
  // what it names being gone: pass 3 keeps the log, so that another run can
  // undo what this one could not.
  bool undoFailed = false;
};

UninstallerState& uninstallerState();

// Puts the log's read position back at its start.
void rewindLog();

// True when the front end asks to stop (remembered once seen).
bool cancelRequested();

// Marks the record readRecord gave last as done: its "[" becomes ";", so
// that it stands outside brackets and no later run acts on it again.
void markRecordDone();
// Takes the mark back: the record is to be acted on again.
void markRecordUndone();

// Notes a registry change's result: one that failed while what it names is
// still there keeps the log for another run.
void noteRegistryResult(std::int32_t result);

}  // namespace uninstall
