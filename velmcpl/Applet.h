#pragma once
// What the applet keeps for the life of the module, and its two dialog
// procedures.
#include <windows.h>

namespace velmcpl {

inline constexpr const char* kWallpaperFile = "c:\\windows\\velmora.bmp";

struct Applet {
  HINSTANCE instance = nullptr;  // holds the dialog resources
  char helpPath[260] = {};       // the help file, from the registry value "help"
};
extern Applet applet;

// Loads the wallpaper file as the preview image (velmgen's lastDIB and
// lastBITS) and releases the section of the load before.
void reloadPreview();

}  // namespace velmcpl

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
