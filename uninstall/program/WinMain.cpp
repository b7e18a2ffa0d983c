// uninstall.exe: started with the path of an installation's uninstall log
// as its whole command line; asks, then undoes the installation.
#include <cstdio>

#include "FrontEnd.h"
#include "Resources.h"
#include "uninstall/Uninstaller.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  FrontEnd& f = frontEnd();
  f.instance = instance;
  f.commandLine = commandLine ? commandLine : "";

  const int error = uninstall::loadLog(uninstall::logPathFromCommandLine(f.commandLine));
  if (error != 0) {
    char text[64];
    std::snprintf(text, sizeof text, "ERROR #%d in loading log file ...", error);
    MessageBoxA(nullptr, text, "Uninstall Ostrel ERROR", MB_OKCANCEL | MB_ICONHAND);
    return 0;
  }

  createFonts();
  createBlueStrip();
  if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIRM), nullptr, ConfirmDlgProc, 0) == 0) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, UninstallDlgProc, 0);
    if (f.thread) {
      WaitForSingleObject(f.thread, INFINITE);
      CloseHandle(f.thread);
    }
  }
  uninstall::closeLog();
  return 0;
}
