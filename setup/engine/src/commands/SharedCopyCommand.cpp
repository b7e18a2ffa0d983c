// SCOPY: a shared file from the pack, installed through the platform's
// version-checked installer, counted under SharedDLLs, and scheduled for
// replacement at the next restart when the present copy is in use.
#include <cstdio>
#include <string>

#include "CommandSupport.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"
#include "platform/SharedFiles.h"
#include "setup/Commands.h"
#include "setup/InstallPack.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {

constexpr char kApplicationDir[] = "C:\\Program Files";
constexpr char kCopyErrorCaption[] = "Copy Error";
constexpr char kIncompatibleText[] = "The file '%s', allready exist and is incompatible.\nIgnor to overwrite.";
constexpr char kInUseText[] = "The file '%s', allready exist and is in use.\nIgnor to overwrite.";
constexpr char kRenameFile[] = "wininit.ini";
constexpr char kRenameSection[] = "rename";
constexpr char kDeleteKey[] = "NUL";
constexpr std::size_t kPathBufferSize = 260;

// VIF_TEMPFILE .. VIF_WRITEPROT: the file there is another version.
constexpr std::uint32_t kIncompatibleBits = 0x7F;
// VIF_FILEINUSE .. VIF_CANNOTDELETECUR: the file there cannot be replaced now.
constexpr std::uint32_t kInUseBits = 0x7E80;

std::string_view systemString(SystemVar k) {
  const char* s = systemVariables()[k].string;
  return s ? s : "";
}

CopyErrorAnswer ask(const char* format, const char* name) {
  const FrontEndHooks& hooks = engineState().frontEnd;
  if (!hooks.askCopyError) return CopyErrorAnswer::Abort;
  char text[16384];
  std::snprintf(text, sizeof text, format, name);
  return hooks.askCopyError(text, kCopyErrorCaption, kBoxAbortRetryIgnore | kBoxIconStop);
}

// Where the installer left its temporary file (it may answer the name with
// a leading backslash).
std::string installerTempPath(const std::string& destinationDir, std::string_view tempName) {
  while (!tempName.empty() && tempName.front() == '\\') tempName.remove_prefix(1);
  return destinationDir + "\\" + std::string(tempName);
}

struct SharedInstall {
  const char* name;
  std::string sourceDir;
  std::string tempCopy;  // SourceDir\name
  std::string installed; // P: destination directory\name
  platform::FoundLocation location;
  platform::InstallOutcome outcome;

  // The installed file and its user count; the temporary copy goes by its
  // full path, whatever the current directory has become meanwhile.
  void finish() {
    progressStep("Copy shared file ", installed.c_str());
    completeRecord(kRecSharedCopy, installed);
    platform::deleteFile(tempCopy);
    countSharedFileUser(installed.c_str());
  }

  // With backups on, the present file goes to BackupDir first. False when
  // that was asked for and could not be done: the file is then left alone.
  bool backUp() const {
    if (systemVariables()[kBackupOn].number == 0) return true;
    std::string backup;
    if (!joinPath(systemString(kBackupDir), name, &backup)) return false;
    const std::int32_t error = platform::copyFile(installed, backup, platform::IfExists::Overwrite);
    return error == platform::kErrorSuccess || error == platform::kErrorFileNotFound;
  }

  void dropInstallerTemp() const {
    if (outcome.result & platform::kVifTempFile)
      platform::deleteFile(installerTempPath(location.destinationDir, outcome.tempFile));
  }

  // Ignore on an incompatible file: install it regardless.
  void force() {
    platform::installFile(platform::kViffForceInstall | platform::kViffDontDeleteOld, name, name, sourceDir,
                          location.destinationDir, location.currentDir, outcome.tempFile);
    finish();
  }

  // Ignore on a file in use: the replacement waits in R for the next
  // restart, named in wininit.ini.
  void scheduleReplacement() {
    std::string replacement;
    if (outcome.result & platform::kVifTempFile) {
      replacement = installerTempPath(location.destinationDir, outcome.tempFile);
    } else {
      replacement = installed + ".reboot";
      platform::copyFile(tempCopy, replacement, platform::IfExists::Overwrite);
    }
    platform::writeProfileString(kRenameSection, installed, replacement, kRenameFile);
    platform::writeProfileString(kRenameSection, kDeleteKey, replacement, kRenameFile);
    finish();
    engineState().rebootNeeded = 1;
  }
};

}  // namespace

void sharedCopyCommand(const char* source, const char* name) {
  openRecord();
  SharedInstall job{name, std::string(systemString(kSourceDir)), {}, {}, {}, {}};
  if (!source || !name || source[0] == '\0' || !joinPath(job.sourceDir, name, &job.tempCopy)) {
    cancelRecord();
    return;
  }
  if (!copyEntry(engineState().pack, source + 1, job.tempCopy)) {
    cancelRecord();
    return;
  }
  for (;;) {
    job.location = platform::findFileLocation(platform::kVffIsSharedFile, name, systemString(kWindowsDir),
                                              kApplicationDir);
    job.outcome = platform::installFile(platform::kViffDontDeleteOld, name, name, job.sourceDir,
                                        job.location.destinationDir, job.location.currentDir);
    job.installed = job.location.destinationDir + "\\" + name;
    if (job.installed.size() >= kPathBufferSize) {
      job.dropInstallerTemp();
      cancelRecord();
      return;
    }
    const std::uint32_t r = job.outcome.result;
    if (r == 0) {
      job.finish();
      return;
    }
    bool retry = false;
    if (r & kIncompatibleBits) {
      const CopyErrorAnswer answer = ask(kIncompatibleText, name);
      if (answer == CopyErrorAnswer::Abort) {
        job.dropInstallerTemp();
        cancelRecord();
        return;
      }
      if (answer == CopyErrorAnswer::Ignore) {
        if (!job.backUp()) {
          job.dropInstallerTemp();
          cancelRecord();
          return;
        }
        job.force();
        return;
      }
      retry = true;
    }
    if (r & kInUseBits) {
      const CopyErrorAnswer answer = ask(kInUseText, name);
      if (answer == CopyErrorAnswer::Abort) {
        job.dropInstallerTemp();
        cancelRecord();
        return;
      }
      const bool rebootName = !(r & platform::kVifTempFile);
      if (answer == CopyErrorAnswer::Ignore) {
        if ((rebootName && job.installed.size() + 7 >= kPathBufferSize) || !job.backUp()) {
          job.dropInstallerTemp();
          cancelRecord();
          return;
        }
        job.scheduleReplacement();
        return;
      }
      retry = true;
    }
    // Out of space or memory, an unreadable source, or no Retry: the record
    // is cancelled rather than left open.
    if (!retry) {
      job.dropInstallerTemp();
      cancelRecord();
      return;
    }
    // Retry: the installer's leftover goes, and the installation starts over.
    job.dropInstallerTemp();
  }
}

}  // namespace setup
