// Dialog 102: "Do you want to proceed ?" with the application's name.
#include "FrontEnd.h"
#include "uninstall/Uninstaller.h"

INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      placeDialog(dialog);
      ShowWindow(dialog, SW_SHOW);
      return FALSE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(dialog, &paint);
      drawText(dc, frontEnd().smallFont, 80, 2, "Uninstalling ...");
      drawText(dc, frontEnd().largeFont, 80, 16, uninstall::appName());
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 1);
      return TRUE;
  }
  return FALSE;
}
