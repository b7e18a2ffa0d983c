// The worker: runs the script and serves what it asks for between two
// statements (a new background, a dialog), then ends the installation.
#include "FrontEnd.h"
#include "setup/RunLoop.h"

namespace setup::frontend {

DWORD WINAPI WorkerThread(void*) {
  Engine& engine = engineState();
  for (;;) {
    engine.runStatus = kStatusRunning;
    runLoop();
    const std::int32_t status = engine.runStatus;
    HWND window = frontEnd().mainWindow;
    if (status <= 0) return 0;
    if (status == kStatusEnded) {
      endOfRunRebootPrompt();
      SendMessageA(window, WM_DESTROY, 0, 0);
      return 0;
    }
    if (status == kStatusBackground) {
      ShowWindow(window, SW_SHOWMAXIMIZED);
      InvalidateRect(window, nullptr, FALSE);
      UpdateWindow(window);
    } else if (status == kStatusDialog) {
      serveDialogRequest();
    }
  }
}

}  // namespace setup::frontend
