// The settings dialog: preview, width, height, colour count, log-on flag,
// New, Apply, Help and About. Every edit goes straight to velmgen's settings.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "Applet.h"
#include "Resources.h"
#include "velmgen/Exports.h"

namespace {

enum Setting { kWidth = 0, kHeight = 1, kColours = 2, kStartup = 3 };

// The preview, in client pixels.
constexpr int kPreviewX = 16, kPreviewY = 24, kPreviewSize = 128;
constexpr RECT kPreviewRect = {kPreviewX, kPreviewY, kPreviewX + kPreviewSize, kPreviewY + kPreviewSize};

void openDialog(HWND dialog) {
  SetDlgItemInt(dialog, IDC_WIDTH, static_cast<UINT>(getDefs(kWidth)), TRUE);
  SetDlgItemInt(dialog, IDC_HEIGHT, static_cast<UINT>(getDefs(kHeight)), TRUE);
  CheckDlgButton(dialog, IDC_STARTUP, getDefs(kStartup) != 0 ? BST_CHECKED : BST_UNCHECKED);
  HWND colours = GetDlgItem(dialog, IDC_COLOURS);
  SendMessageA(colours, TBM_SETRANGE, TRUE, MAKELPARAM(2, 256));
  SendMessageA(colours, TBM_SETPAGESIZE, 0, 4);
  SendMessageA(colours, TBM_SETPOS, TRUE, getDefs(kColours));
}

// The source is the settings' size, or 128 x 128 after a texture, from the
// image's lower-left corner; GDI clips it to what the image holds.
void paintPreview(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  int width = kPreviewSize, height = kPreviewSize;
  if (IsXYvalid()) {
    width = getDefs(kWidth);
    height = getDefs(kHeight);
  }
  const auto* info = reinterpret_cast<const BITMAPINFO*>(lastDIB());
  const std::uint8_t* bits = lastBITS();
  if (info && bits)  // no image until the file exists
    StretchDIBits(dc, kPreviewX, kPreviewY, kPreviewSize, kPreviewSize, 0, 0, width, height, bits, info,
                  DIB_RGB_COLORS, SRCCOPY);
  EndPaint(dialog, &paint);
}

void sizeChanged(HWND dialog, int box) {
  BOOL parsed = FALSE;
  const int value = static_cast<int>(GetDlgItemInt(dialog, box, &parsed, TRUE));
  if (parsed) setDefs(box == IDC_WIDTH ? kWidth : kHeight, value);
}

void coloursMoved(HWND dialog) {
  const int position = static_cast<int>(SendDlgItemMessageA(dialog, IDC_COLOURS, TBM_GETPOS, 0, 0));
  setDefs(kColours, position);
  char label[32];
  std::snprintf(label, sizeof label, "Colors %d", position);
  SetWindowTextA(GetDlgItem(dialog, IDC_COLOURS_LABEL), label);
}

void makeNewImage(HWND dialog) {
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  doit(0);
  SetCursor(previous);
  velmcpl::reloadPreview();
  InvalidateRect(dialog, &kPreviewRect, TRUE);
  UpdateWindow(dialog);  // the new preview shows before the click returns
}

void buttonClicked(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      setDefs(kStartup, IsDlgButtonChecked(dialog, IDC_STARTUP) == BST_CHECKED ? 1 : 0);
      saveDefs();
      EndDialog(dialog, 0);
      break;
    case IDCANCEL:  // what the boxes and the trackbar set stays set
      EndDialog(dialog, 1);
      break;
    case IDC_NEW:
      makeNewImage(dialog);
      break;
    case IDC_APPLY: {
      char name[] = "velmora.bmp";
      SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, name, SPIF_UPDATEINIFILE);
      break;
    }
    case IDC_HELP_BUTTON:
      WinHelpA(dialog, velmcpl::applet.helpPath, HELP_CONTENTS, 0);
      break;
    case IDC_ABOUT:
      DialogBoxParamA(velmcpl::applet.instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDlgProc, 0);
      break;
    default:
      break;
  }
}

}  // namespace

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      openDialog(dialog);
      break;
    case WM_PAINT:
      paintPreview(dialog);
      break;
    case WM_HSCROLL:
      coloursMoved(dialog);
      break;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (code == EN_CHANGE && (id == IDC_WIDTH || id == IDC_HEIGHT))
        sizeChanged(dialog, id);
      else if (code == BN_CLICKED)
        buttonClicked(dialog, id);
      break;
    }
    default:
      break;
  }
  return 0;
}
