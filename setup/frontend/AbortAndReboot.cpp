// The abort question, and the two prompts that offer a restart after a
// file in use was scheduled for replacement.
#include "FrontEnd.h"
#include "setup/RunLoop.h"

namespace setup::frontend {
namespace {

void rebootOnOk(HWND owner, const char* text) {
  if (MessageBoxA(owner, text, "Reboot", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK) ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace

bool askAbortQuestion() {
  return MessageBoxA(frontEnd().mainWindow, "Did you want to abort instalation ?", "Abort",
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int confirmAbort(int fromUser) { return confirmAbortWith(fromUser, askAbortQuestion); }

void endOfRunRebootPrompt() {
  if (engineState().rebootNeeded == 0) return;
  rebootOnOk(frontEnd().mainWindow,
             "The system need to reboot, to continue installation,exit all aplication and select OK.");
}

void windowRebootPrompt() {
  if (engineState().rebootNeeded == 0) return;
  rebootOnOk(nullptr, "The system needs to reboot... (bla bla)");
}

}  // namespace setup::frontend
