// setup.exe: finds the install pack in its start directory, keeps one
// installation at a time, makes the uninstall log and the hidden main
// window, and runs the script on the worker thread.
#include <windows.h>
#include <commctrl.h>

#include "FrontEnd.h"
#include "setup/RunLoop.h"
#include "setup/UninstallLog.h"

namespace setup::frontend {

FrontEnd& frontEnd() {
  static FrontEnd state;
  return state;
}

namespace {

void installHooks() {
  FrontEndHooks& hooks = engineState().frontEnd;
  hooks.setBackground = setBackground;
  hooks.dialogRequest = dialogRequest;
  hooks.confirmAbort = confirmAbort;
  hooks.progressStep = progressStep;
  hooks.askCopyError = [](const char* text, const char* caption, std::uint32_t style) {
    return static_cast<CopyErrorAnswer>(askCopyError(text, caption, style));
  };
}

// A running installation's window: restored when minimised and brought
// forward. True when there was one.
bool bringRunningForward() {
  HWND running = FindWindowA("Setup", "Setup");
  if (!running) return false;
  if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
  SetForegroundWindow(running);
  return true;
}

int run(HINSTANCE instance, HINSTANCE previous, const char* commandLine) {
  Engine& engine = engineState();
  frontEnd().instance = instance;
  engine.programInstance = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(instance));
  // Only the first two characters are looked at.
  if (commandLine && commandLine[0] == '-' && commandLine[1] == 'd') engine.dryRun = 1;
  installHooks();

  const std::int32_t status = startEngine();
  engine.runStatus = status;
  if (status == kStatusNoPack) return 0;
  // A second start looks for the running installation before it makes a
  // log: the log of the same pack is the running installation's.
  if (!previous && bringRunningForward()) return 0;
  if (!createLog(engine.baseName)) return 0;
  if (status == kStatusCannotOpen || status == kStatusNoScript) {
    writeError(kErrorCannotOpen, 0);
    return 0;
  }
  if (!registerMainClass(instance)) return 0;
  HWND window = createMainWindow(instance);
  if (!window) return 0;

  // The progress dialog's bar needs its window class before dialog 108 is
  // made.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  HANDLE worker = CreateThread(nullptr, 0, WorkerThread, nullptr, 0, nullptr);
  if (worker) CloseHandle(worker);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace
}  // namespace setup::frontend

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int /*showCommand*/) {
  return setup::frontend::run(instance, previous, commandLine);
}
