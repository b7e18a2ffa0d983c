#pragma once
// The uninstaller's front end: its one state, the painting helpers and the
// procedures of its two dialogs.
#include <windows.h>

#include <atomic>

struct StripInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

struct FrontEnd {
  HINSTANCE instance = nullptr;
  const char* commandLine = "";
  HFONT smallFont = nullptr;  // Arial 16, normal
  HFONT largeFont = nullptr;  // Arial 24, bold italic
  // The 256 x 256 blue strip, black at the bottom row, pure blue at the top.
  StripInfo stripInfo = {};
  HBITMAP strip = nullptr;
  void* stripBits = nullptr;
  // Dialog 109 and the thread running the passes.
  HWND progressDialog = nullptr;
  HANDLE thread = nullptr;
  std::atomic<bool> cancel{false};
  std::atomic<bool> passesDone{false};
};

FrontEnd& frontEnd();

// The two fonts and the blue strip, made once before the dialogs open.
void createFonts();
void createBlueStrip();

// Hides the dialog and puts its top-left corner at (screen width / 2 - 100,
// screen height / 2 - 100); the caller shows it again.
void placeDialog(HWND dialog);

// Draws `text` at (x, y) in `font`, black on a transparent background, and
// puts the previous font back.
void drawText(HDC dc, HFONT font, int x, int y, const char* text);

INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UninstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
DWORD WINAPI UninstallThread(void*);
