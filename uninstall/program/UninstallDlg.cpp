// Dialog 109: the three steps ticked as the passes run on UninstallThread;
// OK becomes usable when they are done.
#include "FrontEnd.h"
#include "Resources.h"
#include "uninstall/Uninstaller.h"

namespace {

void refresh(HWND dialog) {
  const RECT corner = {2, 2, 100, 100};
  InvalidateRect(dialog, &corner, TRUE);
  UpdateWindow(dialog);
}

void passBegins(void*, int pass) {
  HWND dialog = frontEnd().progressDialog;
  CheckDlgButton(dialog, IDC_STEP_REGISTRY + pass - 1, BST_CHECKED);
  refresh(dialog);
}

void finished(void*) {
  HWND dialog = frontEnd().progressDialog;
  refresh(dialog);
  frontEnd().passesDone = true;
  EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
}

bool cancelRequested(void*) { return frontEnd().cancel; }

// Cancel stops the passes before their next record and waits for that,
// serving the thread's calls into the dialog meanwhile, so that every
// record is either done or left in the log for another run.
void stopPasses() {
  FrontEnd& f = frontEnd();
  f.cancel = true;
  if (!f.thread) return;
  while (MsgWaitForMultipleObjects(1, &f.thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

DWORD WINAPI UninstallThread(void*) {
  const uninstall::UninstallProgress progress{nullptr, passBegins, finished, cancelRequested};
  uninstall::runPasses(progress);
  return 0;
}

INT_PTR CALLBACK UninstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  FrontEnd& f = frontEnd();
  switch (message) {
    case WM_INITDIALOG:
      placeDialog(dialog);
      SetWindowTextA(dialog, uninstall::appName());
      EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
      ShowWindow(dialog, SW_SHOW);
      f.progressDialog = dialog;
      f.thread = CreateThread(nullptr, 0, UninstallThread, nullptr, 0, nullptr);
      return FALSE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(dialog, &paint);
      drawText(dc, f.largeFont, 88, 16, uninstall::appName());
      if (f.stripBits)
        StretchDIBits(dc, 0, 0, 80, 300, 0, 0, 256, 256, f.stripBits, reinterpret_cast<BITMAPINFO*>(&f.stripInfo),
                      DIB_RGB_COLORS, SRCCOPY);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND:
      // OK ends the dialog once the passes are done (Enter on the disabled
      // default button must not end it earlier).
      if (LOWORD(wParam) == IDOK && f.passesDone) EndDialog(dialog, 0);
      if (LOWORD(wParam) == IDCANCEL) {
        stopPasses();
        EndDialog(dialog, 1);
      }
      return TRUE;
  }
  return FALSE;
}
