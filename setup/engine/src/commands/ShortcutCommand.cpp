// SHORTCUT: a shell shortcut file.
#include "CommandSupport.h"
#include "platform/ShellLinks.h"
#include "setup/Commands.h"
#include "setup/UninstallLog.h"

namespace setup {

void shortcutCommand(const char* target, const char* arguments, const char* linkPath, const char* description) {
  openRecord();
  if (!target || !arguments || !linkPath || !description) {
    cancelRecord();
    return;
  }
  // A shortcut that was not saved (a folder that does not exist) is not
  // logged as made.
  if (!platform::createShellLink(target, arguments, linkPath, description).ok()) {
    cancelRecord();
    return;
  }
  progressStep("Create shortcut ", description);
  completeRecord(kRecShortcut, linkPath);
}

}  // namespace setup
