// COPY of kinds 0 and 1 (and every kind but 2, which behaves as 0).
#include "CommandSupport.h"
#include "platform/FileSystem.h"
#include "setup/Bytecode.h"
#include "setup/Commands.h"
#include "setup/InstallPack.h"
#include "setup/RunLoop.h"
#include "setup/UninstallLog.h"

namespace setup {

void copyCommand(std::uint8_t kind, const char* source, const char* destination) {
  const bool logged = kind != kCopyUnlogged;
  if (logged) openRecord();
  if (!source || !destination) {
    if (logged) cancelRecord();
    return;
  }
  bool copied = false;
  if (source[0] == '@') {
    progressStep("Copy file ", source + 1);
    // Through the volume loop; an existing destination is overwritten. The
    // pack's status is sticky, so one failed pack copy fails every later one.
    copied = copyEntry(engineState().pack, source + 1, destination);
  } else {
    progressStep("Copy file ", destination);
    copied = platform::copyFile(source, destination, platform::IfExists::Fail) == platform::kErrorSuccess;
  }
  if (!logged) return;
  if (copied) {
    completeRecord(kRecCopy, destination);
  } else {
    cancelRecord();
  }
}

}  // namespace setup
