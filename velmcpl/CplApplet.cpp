// The control panel's entry point: one applet, opened with the settings
// dialog.
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>

#include <cstring>

#include "Applet.h"
#include "Resources.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace velmcpl {

Applet applet;

namespace {

// Reads "help" into helpPath. The path must fit the buffer with its zero;
// otherwise, and when the key or value is missing, the old path stays.
void readHelpPath() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Velmora", 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char read[sizeof applet.helpPath];
  DWORD size = sizeof read;
  const LONG status = RegQueryValueExA(key, "help", nullptr, nullptr, reinterpret_cast<BYTE*>(read), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return;
  // A string stored without its terminating zero gets one, if there is room.
  if (size == 0 || read[size - 1] != '\0') {
    if (size >= sizeof read) return;
    read[size] = '\0';
  }
  std::memcpy(applet.helpPath, read, sizeof read);
}

void openApplet(HWND panel) {
  reloadPreview();
  readHelpPath();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  DialogBoxParamA(applet.instance, MAKEINTRESOURCEA(IDD_SETTINGS), panel, SettingsDlgProc, 0);
}

}  // namespace
}  // namespace velmcpl

extern "C" LONG APIENTRY CPlApplet(HWND panel, UINT message, LPARAM /*param1*/, LPARAM param2) {
  using velmcpl::applet;
  switch (message) {
    case CPL_INIT:
      applet.instance = GetModuleHandleA("VELMCPL.CPL");
      // Loaded under another file name: the module is still this one.
      if (!applet.instance) applet.instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
      return 1;
    case CPL_GETCOUNT:
      return 1;
    case CPL_INQUIRE:
      if (auto* info = reinterpret_cast<CPLINFO*>(param2)) {
        info->idIcon = IDI_VELMORA;
        info->idName = IDS_APPLET_NAME;
        info->idInfo = IDS_APPLET_INFO;
        info->lData = 0;
      }
      return 0;
    case CPL_DBLCLK:
      velmcpl::openApplet(panel);
      return 0;
    default:  // CPL_SELECT, CPL_STOP, CPL_EXIT, CPL_NEWINQUIRE, anything else
      return 0;
  }
}
