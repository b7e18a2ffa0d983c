// The script's dialogs: the message box and dialogs 106, 107 and 109, run
// on the worker thread and owned by the main window, with the picture on
// their left; the answer goes into the script variable the request named.
#include "FrontEnd.h"
// After <windows.h>, which FrontEnd.h brings.
#include <commdlg.h>

#include "Resources.h"
#include "frontend/DialogRequest.h"
#include "setup/Bytecode.h"
#include "setup/ScriptMachine.h"

namespace setup::frontend {

ProgressRequest& progressRequest();
void progressRequestRead();

namespace {

DialogRequest theRequest;
DialogPicture thePicture;
bool requestPending = false;

// What dialogs 106, 107 and 109 share at WM_INITDIALOG: hidden while they
// are placed and filled, then shown.
void initPictureDialog(HWND dialog, int textId) {
  ShowWindow(dialog, SW_HIDE);
  SetWindowPos(dialog, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - 100, GetSystemMetrics(SM_CYSCREEN) / 2 - 100, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextA(dialog, theRequest.caption);
  SetDlgItemTextA(dialog, textId, theRequest.text);
  if (theRequest.buttons == kBoxOkCancel) {
    SetDlgItemTextA(dialog, IDOK, "OK");
    SetDlgItemTextA(dialog, IDCANCEL, "Cancel");
  } else if (theRequest.buttons == kBoxYesNo) {
    SetDlgItemTextA(dialog, IDOK, "Yes");
    SetDlgItemTextA(dialog, IDCANCEL, "No");
  }
}

void paintPicture(HDC dc) {
  if (!thePicture.section.bits) return;
  StretchDIBits(dc, 10, 10, 119, 295, 0, 0, thePicture.info.width, thePicture.info.height, thePicture.section.bits,
                reinterpret_cast<const BITMAPINFO*>(&thePicture.info), DIB_RGB_COLORS, SRCCOPY);
}

// WM_PAINT and the two buttons, alike for the three dialogs.
bool commonMessage(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    paintPicture(dc);
    EndPaint(dialog, &paint);
    return true;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return true;
  }
  return false;
}

INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    initPictureDialog(dialog, IDC_INFO_TEXT);
    ShowWindow(dialog, SW_SHOW);
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return commonMessage(dialog, message, wParam) ? TRUE : FALSE;
}

INT_PTR CALLBACK InputDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    initPictureDialog(dialog, IDC_INPUT_TEXT);
    const Variable* v = variableAt(static_cast<std::uint32_t>(theRequest.resultVariable));
    SendDlgItemMessageA(dialog, IDC_INPUT_EDIT, EM_LIMITTEXT, kEditSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_INPUT_EDIT, v && v->string ? v->string : "");
    ShowWindow(dialog, SW_SHOW);
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    // The variable's string gets room for a whole entry only now: a
    // cancelled dialog leaves the variable exactly as it was.
    if (char* buffer = editBuffer(theRequest.resultVariable))
      GetDlgItemTextA(dialog, IDC_INPUT_EDIT, buffer, kEditSize);
    EndDialog(dialog, 1);
    return TRUE;
  }
  return commonMessage(dialog, message, wParam) ? TRUE : FALSE;
}

void browse(HWND dialog, char* buffer) {
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = dialog;
  open.lpstrFilter = "All\0*.*\0";
  open.lpstrFile = buffer;
  open.nMaxFile = kEditSize;
  open.lpstrTitle = "Select Path";
  if (GetOpenFileNameA(&open)) SetDlgItemTextA(dialog, IDC_PATH_EDIT, buffer);
}

INT_PTR CALLBACK PathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  // The variable's string was given room for a whole entry before the
  // dialog was made.
  char* buffer = editBuffer(theRequest.resultVariable);
  if (message == WM_INITDIALOG) {
    initPictureDialog(dialog, IDC_PATH_TEXT);
    SendDlgItemMessageA(dialog, IDC_PATH_EDIT, EM_LIMITTEXT, kEditSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_PATH_EDIT, buffer ? buffer : "");
    ShowWindow(dialog, SW_SHOW);
    return FALSE;
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    // The variable follows the typing, even when the dialog is cancelled.
    if (id == IDC_PATH_EDIT && HIWORD(wParam) == EN_CHANGE) {
      if (buffer) GetDlgItemTextA(dialog, IDC_PATH_EDIT, buffer, kEditSize);
      return TRUE;
    }
    if (id == IDOK) {
      if (buffer) GetDlgItemTextA(dialog, IDC_PATH_EDIT, buffer, kEditSize);
      EndDialog(dialog, 1);
      return TRUE;
    }
    if (id == IDC_PATH_BROWSE) {
      if (buffer) browse(dialog, buffer);
      return TRUE;
    }
  }
  return commonMessage(dialog, message, wParam) ? TRUE : FALSE;
}

}  // namespace

void dialogRequest(std::uint8_t kind, std::span<const std::uint8_t> elements) {
  readDialogRequest(kind, elements, &theRequest, &progressRequest(), &thePicture);
  if (kind == kDialogProgress) progressRequestRead();
  theRequest.kind = kind;
  requestPending = true;
}

void serveDialogRequest() {
  // A DIALOG statement of an unknown kind asked for nothing.
  if (!requestPending) return;
  requestPending = false;
  HWND owner = frontEnd().mainWindow;
  switch (theRequest.kind) {
    case kDialogMessage: {
      const int pressed = MessageBoxA(owner, theRequest.text, theRequest.caption, theRequest.buttons | theRequest.iconFlags);
      storeAnswer(theRequest.resultVariable, messageAnswer(theRequest.buttons, pressed));
      return;
    }
    case kDialogProgress:
      serveProgressRequest();
      return;
    case kDialogInfo:
    case kDialogInput:
    case kDialogPath: {
      if (theRequest.kind == kDialogPath) editBuffer(theRequest.resultVariable);
      const DLGPROC procedure = theRequest.kind == kDialogInfo    ? InfoDlgProc
                                : theRequest.kind == kDialogInput ? InputDlgProc
                                                                  : PathDlgProc;
      const INT_PTR ended = DialogBoxParamA(frontEnd().instance, MAKEINTRESOURCEA(theRequest.dialogTemplate), owner,
                                            procedure, 0);
      storeAnswer(theRequest.resultVariable, ended == 1 ? 1 : 0);
      return;
    }
    default:
      return;
  }
}

int askCopyError(const char* text, const char* caption, std::uint32_t style) {
  const int pressed = MessageBoxA(frontEnd().mainWindow, text, caption, style);
  // Closing the box without an answer is Abort.
  return pressed == IDRETRY || pressed == IDIGNORE ? pressed : IDABORT;
}

}  // namespace setup::frontend
