// MKDIR, RMDIR and BACKUP.
#include "CommandSupport.h"
#include "platform/FileSystem.h"
#include "platform/Programs.h"
#include "setup/Commands.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {

void makeDirectoryCommand(const char* path) {
  openRecord();
  progressStep("Creating Directory", path);
  // An existing directory is a failure too: it is not ours to remove later.
  if (platform::createDirectory(path) == platform::kErrorSuccess) {
    completeRecord(kRecMkdir, path);
  } else {
    cancelRecord();
  }
}

void removeDirectoryCommand(const char* path) {
  openRecord();
  progressStep("Removing Directory", path);
  if (platform::removeDirectory(path) == platform::kErrorSuccess) {
    completeRecord(kRecRmdir, path);
  } else {
    cancelRecord();
  }
}

void backupCommand(const char* path) {
  Variable& backupDir = systemVariables()[kBackupDir];
  backupDir.string = path;
  openRecord();
  progressStep("Backup Directory ", path);
  if (platform::createDirectory(path) == platform::kErrorSuccess) {
    completeRecord(kRecBackup, path);
  } else {
    cancelRecord();
  }
  // Backups are on for any path, also one that was there already.
  Variable& backupOn = systemVariables()[kBackupOn];
  backupOn.number = path[0] != '\0' ? 1 : 0;
  backupOn.type = 0;
}

void runCommand(const char* commandLine) {
  constexpr int kShowWindow = 5;  // SW_SHOW
  progressStep("Running ", commandLine);
  // Nothing waits for the program and nothing is logged.
  platform::startProgram(commandLine, kShowWindow);
}

}  // namespace setup
