// The About box: the name and version in a large Arial, the credits below.
#include <windows.h>

#include <cstring>

#include "Applet.h"

namespace {

struct AboutFonts {
  HFONT title = nullptr;
  HFONT body = nullptr;
};
AboutFonts fonts;

constexpr const char* kCredits[] = {
    "Program and Design by:",
    "the Velmora developers,",
    "with patterns, palettes and preview",
    "made for a new desktop every day.",
};

HFONT arial(LONG weight, LONG height) {
  LOGFONTA font;
  std::memset(&font, 0, sizeof font);
  std::strcpy(font.lfFaceName, "Arial");
  font.lfWeight = weight;
  font.lfHeight = height;
  return CreateFontIndirectA(&font);
}

void paintAbout(HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  HGDIOBJ previous = SelectObject(dc, fonts.title);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 128, 64));
  const char title[] = "Velmora  Version 1.0";
  TextOutA(dc, 16, 10, title, static_cast<int>(sizeof title - 1));
  SelectObject(dc, fonts.body);
  SetTextColor(dc, RGB(0, 0, 0));
  int y = 100;
  for (const char* line : kCredits) {
    TextOutA(dc, 16, y, line, static_cast<int>(std::strlen(line)));
    y += 12;
  }
  SelectObject(dc, previous);
  SetTextColor(dc, RGB(0, 0, 0));
  EndPaint(dialog, &paint);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      fonts.body = arial(400, 14);
      fonts.title = arial(700, 27);
      break;
    case WM_PAINT:
      paintAbout(dialog);
      break;
    case WM_COMMAND:
      if (wParam == IDOK) EndDialog(dialog, 0);
      if (wParam == IDCANCEL) EndDialog(dialog, 1);
      break;
    case WM_DESTROY:
      DeleteObject(fonts.title);
      DeleteObject(fonts.body);
      fonts = {};
      break;
    default:
      break;
  }
  return 0;
}
