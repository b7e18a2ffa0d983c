#include <cstring>

#include "FrontEnd.h"

FrontEnd& frontEnd() {
  static FrontEnd state;
  return state;
}

void createFonts() {
  FrontEnd& f = frontEnd();
  f.smallFont = CreateFontA(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  f.largeFont = CreateFontA(24, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

void createBlueStrip() {
  FrontEnd& f = frontEnd();
  BITMAPINFOHEADER& h = f.stripInfo.header;
  h = {};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = 256;
  h.biHeight = 256;  // bottom-up: the first row in memory is the bottom row
  h.biPlanes = 1;
  h.biBitCount = 8;
  h.biCompression = BI_RGB;
  for (int i = 0; i < 256; ++i) f.stripInfo.colours[i] = {static_cast<BYTE>(i), 0, 0, 0};  // blue, green, red

  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  f.strip = CreateDIBSection(display, reinterpret_cast<BITMAPINFO*>(&f.stripInfo), DIB_RGB_COLORS, &f.stripBits,
                             nullptr, 0);
  DeleteDC(display);
  if (!f.strip || !f.stripBits) return;
  auto* rows = static_cast<BYTE*>(f.stripBits);
  for (int row = 0; row < 256; ++row) std::memset(rows + row * 256, row, 256);
  GdiFlush();
}

void placeDialog(HWND dialog) {
  ShowWindow(dialog, SW_HIDE);
  SetWindowPos(dialog, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - 100, GetSystemMetrics(SM_CYSCREEN) / 2 - 100, 0,
               0, SWP_NOSIZE | SWP_NOZORDER);
}

void drawText(HDC dc, HFONT font, int x, int y, const char* text) {
  HGDIOBJ previous = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
  SelectObject(dc, previous);
}
