// velmcpl.cpl as a control panel drives it: loaded with velmgen.dll into this
// process, its dialogs run on a thread of their own and are driven with
// messages from the test, in the run's private Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cpl.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "DialogTemplate.h"

namespace {

constexpr const char* kKey = "Control Panel\\Velmora";
constexpr const char* kFile = "c:\\windows\\velmora.bmp";
constexpr WORD kPortugal = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);

constexpr int kNew = 1001, kApply = 1002, kWidth = 1005, kStartup = 1008, kAbout = 1010, kColours = 1017,
              kColoursLabel = 1018;

std::string programDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// velmgen as loaded with the applet: the settings the dialog edits.
int getDefs(int index) {
  using Fn = std::int32_t (*)(std::int32_t);
  HMODULE dll = GetModuleHandleA("velmgen.dll");
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(6))))(index);
}

void store(const char* name, DWORD value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  RegCloseKey(key);
}

std::int64_t stored(const char* name) {  // -1000000 when missing
  DWORD value = 0, size = 4;
  if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != 0) return -1000000;
  return static_cast<std::int32_t>(value);
}

std::string text(HWND window) {
  char buffer[256] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// The wallpaper file's image as 0x00RRGGBB colours, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> colours;
  std::uint32_t at(int x, int y) const { return colours[std::size_t(y) * width + x]; }
};

Image readWallpaper() {
  std::ifstream in(kFile, std::ios::binary);
  const std::string b{std::istreambuf_iterator<char>(in), {}};
  Image image;
  if (b.size() < 1078) return image;
  auto u32 = [&](std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  image.width = int(u32(18));
  image.height = int(u32(22));
  const int stride = (image.width + 3) & ~3;
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x)
      image.colours.push_back(u32(54 + 4 * std::uint8_t(b[1078 + std::size_t(y) * stride + x])) & 0xFFFFFF);
  return image;
}

// The 128 x 128 preview area at (16, 24) of the dialog's client area.
std::vector<std::uint32_t> capturePreview(HWND dialog) {
  HDC window = GetDC(dialog);
  HDC memory = CreateCompatibleDC(window);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 128, -128, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, 128, 128, window, 16, 24, SRCCOPY);
  GdiFlush();
  std::vector<std::uint32_t> pixels(static_cast<std::uint32_t*>(bits), static_cast<std::uint32_t*>(bits) + 128 * 128);
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(dialog, window);
  return pixels;
}

// What the preview held when the New click returned to the dialog.
std::vector<std::uint32_t> previewAfterNew;
LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_COMMAND && m->wParam == kNew) previewAfterNew = capturePreview(m->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND waitForWindow(const char* title, DWORD thread) {
  for (int i = 0; i < 400; ++i) {
    HWND w = FindWindowA("#32770", title);
    if (w && IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == thread) return w;
    Sleep(50);
  }
  return nullptr;
}

bool trueColourDisplay() {
  HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return depth >= 24;
}

class Velmcpl : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    DeleteFileA(kFile);
  }
  void TearDown() override {
    if (thread_) {
      if (dialog_) PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
      WaitForSingleObject(thread_, 10000);
      CloseHandle(thread_);
    }
    unload();
  }
  void load() {
    cpl_ = LoadLibraryA((programDir() + "velmcpl.cpl").c_str());
    ASSERT_NE(cpl_, nullptr);
    applet_ = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(cpl_, "CPlApplet")));
    ASSERT_NE(applet_, nullptr);
    ASSERT_EQ(applet_(nullptr, CPL_INIT, 0, 0), 1);
  }
  void unload() {
    if (cpl_) FreeLibrary(cpl_);
    cpl_ = nullptr;
  }
  // Opens the applet as a double click does; the dialog runs on its own thread.
  void open() {
    load();
    openAgain();
  }
  void openAgain() {
    thread_ = CreateThread(nullptr, 0, &Velmcpl::dblclk, reinterpret_cast<void*>(applet_), 0, &threadId_);
    dialog_ = waitForWindow("Velmora Control Panel", threadId_);
    ASSERT_NE(dialog_, nullptr);
  }
  // Ends the dialog with a button and waits for CPlApplet to return.
  void close(int button) {
    SendMessageA(dialog_, WM_COMMAND, button, 0);
    ASSERT_EQ(WaitForSingleObject(thread_, 10000), WAIT_OBJECT_0);
    CloseHandle(thread_);
    thread_ = nullptr;
    dialog_ = nullptr;
  }
  void click(int id) { SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  HWND item(int id) { return GetDlgItem(dialog_, id); }
  static DWORD WINAPI dblclk(void* applet) {
    reinterpret_cast<APPLET_PROC>(applet)(nullptr, CPL_DBLCLK, 0, 0);
    return 0;
  }

  HMODULE cpl_ = nullptr;
  APPLET_PROC applet_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HWND dialog_ = nullptr;
};

TEST_F(Velmcpl, AnswersTheControlPanelsMessages) {
  load();
  EXPECT_EQ(applet_(nullptr, CPL_GETCOUNT, 0, 0), 1);
  CPLINFO info{-7, -7, -7, -7};
  EXPECT_EQ(applet_(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idIcon, 101);
  EXPECT_EQ(info.idName, 1);
  EXPECT_EQ(info.idInfo, 2);
  EXPECT_EQ(info.lData, 0);
  EXPECT_EQ(applet_(nullptr, CPL_SELECT, 0, 0), 0);
  // Unknown numbers, CPL_NEWINQUIRE among them, return 0 and fill nothing.
  for (UINT message : {0u, 6u, 7u, 8u, 9u, 10u, 1000u, 0xFFFFFFFFu}) {
    std::uint8_t first[64], second[64];
    std::memset(first, 0xA5, sizeof first);
    std::memset(second, 0x5A, sizeof second);
    EXPECT_EQ(applet_(nullptr, message, reinterpret_cast<LPARAM>(first), reinterpret_cast<LPARAM>(second)), 0)
        << message;
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(first[i] == 0xA5 && second[i] == 0x5A) << message;
  }

  // Its name, description and icon, in Portuguese (Portugal).
  for (auto [type, id] : {std::pair{RT_GROUP_ICON, 101}, {RT_STRING, 1}, {RT_DIALOG, 102}, {RT_DIALOG, 104}})
    EXPECT_NE(FindResourceExA(cpl_, type, MAKEINTRESOURCEA(id), kPortugal), nullptr) << id;
  char name[64], infoText[64];
  ASSERT_GT(LoadStringA(cpl_, 1, name, sizeof name), 0);
  ASSERT_GT(LoadStringA(cpl_, 2, infoText, sizeof infoText), 0);
  EXPECT_STREQ(name, "Velmora Control Panel");
  EXPECT_STREQ(infoText, "Costumize the velmora program");
  EXPECT_NE(LoadIconA(cpl_, MAKEINTRESOURCEA(101)), nullptr);
}

TEST_F(Velmcpl, OpensWithTheStoredSettingsAndEditsGoStraightToTheStore) {
  open();
  EXPECT_EQ(text(dialog_), "Velmora Control Panel");
  EXPECT_EQ(text(item(kWidth)), "64");
  EXPECT_EQ(text(item(1006)), "64");
  EXPECT_EQ(SendMessageA(item(kStartup), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(item(kColours), TBM_GETPOS, 0, 0), 256);
  EXPECT_EQ(text(item(kColoursLabel)), "Colors");

  // The trackbar: left end, then a page (4) up the scale, then one line.
  SendMessageA(item(kColours), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(text(item(kColoursLabel)), "Colors 2");
  EXPECT_EQ(getDefs(2), 2);
  SendMessageA(item(kColours), WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(text(item(kColoursLabel)), "Colors 6");
  SendMessageA(item(kColours), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(text(item(kColoursLabel)), "Colors 7");
  EXPECT_EQ(getDefs(2), 7);

  // Signed numbers reach the store as they are; text that is no number
  // leaves the last value.
  const std::pair<const char*, int> typed[] = {{"-5", -5}, {"", -5}, {"abc", -5}, {"0", 0}, {"2147483647", 2147483647},
                                               {"99999999999", 2147483647}, {"-17", -17}};
  for (auto [box, value] : typed) {
    SetWindowTextA(item(kWidth), box);
    UpdateWindow(dialog_);  // paints with the odd source size too
    EXPECT_EQ(getDefs(0), value) << box;
  }
  SetWindowTextA(item(1006), "300");
  EXPECT_EQ(getDefs(1), 300);

  // OK with the box cleared stores the flag and saves at once.
  SendMessageA(item(kStartup), BM_SETCHECK, BST_UNCHECKED, 0);
  close(IDOK);
  EXPECT_EQ(stored("startup"), 0);
  EXPECT_EQ(stored("size_x"), -17);
  EXPECT_EQ(stored("size_y"), 300);
  EXPECT_EQ(stored("colours"), 7);
}

TEST_F(Velmcpl, CancelUndoesNothingAndTheUnloadSaves) {
  open();  // a fresh key, created with the defaults
  SetWindowTextA(item(kWidth), "100");
  SendMessageA(item(kStartup), BM_SETCHECK, BST_UNCHECKED, 0);
  close(IDCANCEL);
  EXPECT_EQ(getDefs(0), 100);
  EXPECT_EQ(stored("size_x"), 64);  // nothing saved yet
  unload();
  EXPECT_EQ(stored("size_x"), 100);
  EXPECT_EQ(stored("startup"), 1);  // the check box is not stored on Cancel
}

// New: the preview shows the new file before the click has been handled.
// A 128 x 128 image fills the preview one to one, so every pixel is known.
TEST_F(Velmcpl, NewRepaintsThePreviewFromTheNewFile) {
  if (!trueColourDisplay()) GTEST_SKIP() << "needs a true-colour display (Xvfb -screen 0 WxHx24)";
  struct Case {
    const char* what;
    DWORD mode, width, height;
  };
  for (const Case c : {Case{"settings' size", 0, 128, 128}, Case{"texture: a 128 x 128 source", 7, 32, 48}}) {
    SCOPED_TRACE(c.what);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    DeleteFileA(kFile);
    store("mode", c.mode);
    store("size_x", c.width);
    store("size_y", c.height);
    store("colours", 16);
    open();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, afterMessage, nullptr, threadId_);
    ASSERT_NE(hook, nullptr);
    previewAfterNew.clear();
    click(kNew);
    UnhookWindowsHookEx(hook);
    const Image image = readWallpaper();
    ASSERT_EQ(image.width, 128);
    ASSERT_EQ(image.height, 128);
    ASSERT_EQ(previewAfterNew.size(), 128u * 128u);
    int wrong = 0;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) wrong += previewAfterNew[std::size_t(y) * 128 + x] != image.at(x, y);
    EXPECT_EQ(wrong, 0);
    close(IDCANCEL);
    unload();
  }
}

TEST_F(Velmcpl, ApplyNamesTheFileAsTheDesktopWallpaper) {
  open();
  click(kApply);
  close(IDCANCEL);
  char wallpaper[MAX_PATH] = {};
  DWORD size = sizeof wallpaper;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", RRF_RT_REG_SZ, nullptr, wallpaper,
                         &size),
            0);
  EXPECT_STREQ(wallpaper, "velmora.bmp");
  EXPECT_EQ(GetFileAttributesA(kFile), INVALID_FILE_ATTRIBUTES);  // Apply makes no image
}

TEST_F(Velmcpl, AboutBoxShowsTheTitleInGreenAndTheIcon) {
  open();
  PostMessageA(dialog_, WM_COMMAND, kAbout, 0);
  HWND about = waitForWindow("About Velmora", threadId_);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), dialog_);
  HWND icon = FindWindowExA(about, nullptr, "Static", nullptr);
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);
  if (trueColourDisplay()) {
    UpdateWindow(about);
    HDC dc = GetDC(about);
    int green = 0;
    for (int y = 10; y < 40; ++y)
      for (int x = 16; x < 250; ++x) green += GetPixel(dc, x, y) == RGB(0, 128, 64);
    ReleaseDC(about, dc);
    EXPECT_GT(green, 100);
  }
  SendMessageA(about, WM_COMMAND, IDCANCEL, 0);
  for (int i = 0; i < 100 && IsWindow(about); ++i) Sleep(20);
  EXPECT_FALSE(IsWindow(about));
  EXPECT_TRUE(IsWindowVisible(dialog_));
  close(IDCANCEL);
}

TEST_F(Velmcpl, DialogTemplates) {
  load();
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE, kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP, kEdit = kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
                  kLabel = kChild | SS_CENTER | SS_CENTERIMAGE | WS_GROUP, kGroup = kChild | BS_GROUPBOX;
  const WORD none = 0xFFFF;
  const DialogTemplate settings = readTemplate(cpl_, 102, kPortugal);
  EXPECT_EQ(settings.style, kDialog);
  EXPECT_EQ(settings.title, "Velmora Control Panel");
  EXPECT_EQ(settings.cx, 267);
  EXPECT_EQ(settings.cy, 151);
  EXPECT_EQ(settings.face, "MS Sans Serif");
  EXPECT_EQ(settings.points, 8);
  const std::vector<TemplateItem> settingsItems = {
      {1, "BUTTON", "OK", 160, 130, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {2, "BUTTON", "Cancel", 215, 130, 45, 14, kButton},
      {1001, "BUTTON", "New", 5, 105, 95, 14, kButton},
      {1002, "BUTTON", "Apply", 105, 105, 50, 15, kButton},
      {1005, "EDIT", "", 143, 21, 30, 13, kEdit},
      {1006, "EDIT", "", 211, 21, 33, 15, kEdit},
      {none, "STATIC", "Width", 115, 19, 25, 14, kLabel},
      {none, "STATIC", "Height", 185, 20, 22, 14, kLabel},
      {1018, "STATIC", "Colors", 155, 39, 46, 14, kLabel},
      {1008, "BUTTON", "New Wallpaper in startup", 127, 81, 120, 10, kChild | BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP},
      {1009, "BUTTON", "Help", 160, 105, 50, 14, kButton},
      {1010, "BUTTON", "About", 215, 105, 45, 14, kButton},
      {none, "BUTTON", "Settings", 105, 5, 155, 95, kGroup},
      {none, "BUTTON", "WallPaper", 5, 5, 95, 95, kGroup},
      {1017, "MSCTLS_TRACKBAR32", "", 115, 55, 136, 16, kChild | TBS_HORZ | TBS_TOP | TBS_NOTICKS | WS_TABSTOP},
  };
  EXPECT_EQ(settings.items, settingsItems);

  const DialogTemplate about = readTemplate(cpl_, 104, kPortugal);
  EXPECT_EQ(about.style, kDialog);
  EXPECT_EQ(about.title, "About Velmora");
  EXPECT_EQ(about.cx, 194);
  EXPECT_EQ(about.cy, 141);
  EXPECT_EQ(about.face, "MS Sans Serif");
  EXPECT_EQ(about.points, 8);
  const std::vector<TemplateItem> aboutItems = {
      {1, "BUTTON", "OK", 5, 120, 50, 15, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
      {2, "BUTTON", "Cancel", 60, 120, 50, 15, kButton},
      {none, "STATIC", "#101", 152, 38, 21, 20, kChild | SS_ICON},
  };
  EXPECT_EQ(about.items, aboutItems);
}

// A stand-in for the help viewer: WinHelpA hands the viewer's window (class
// "MS_WINHELP") the file and the command with WM_COPYDATA.
struct HelpRequest {
  std::string file;
  int command = -1;
};
HelpRequest lastHelp;
LRESULT CALLBACK helpViewer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    struct Request {
      WORD size, command;
      LONG data, reserved;
      WORD ofsFilename, ofsData;
    };
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* request = static_cast<const Request*>(data->lpData);
    lastHelp.command = request->command;
    lastHelp.file = reinterpret_cast<const char*>(request) + request->ofsFilename;
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void storeHelp(const std::string& path) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
  RegSetValueExA(key, "help", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()), DWORD(path.size() + 1));
  RegCloseKey(key);
}

// Help names the file from "help" as read at the last open; a path too long
// for the 260-byte buffer leaves the one before. Each open reloads the
// preview from the file.
TEST_F(Velmcpl, HelpAsksForTheFileNamedInTheRegistry) {
  WNDCLASSA viewerClass{};
  viewerClass.lpfnWndProc = helpViewer;
  viewerClass.lpszClassName = "MS_WINHELP";
  viewerClass.hInstance = GetModuleHandleA(nullptr);
  RegisterClassA(&viewerClass);
  HWND viewer = CreateWindowA("MS_WINHELP", "", 0, 0, 0, 0, 0, nullptr, nullptr, viewerClass.hInstance, nullptr);
  ASSERT_NE(viewer, nullptr);

  open();
  click(1009);
  EXPECT_EQ(lastHelp.file, "");  // no "help" yet: an empty path, still asked for
  EXPECT_EQ(lastHelp.command, HELP_CONTENTS);
  close(IDCANCEL);

  const std::string fits = "c:\\velmora\\" + std::string(259 - 11, 'h');
  ASSERT_EQ(fits.size(), 259u);
  storeHelp(fits);
  HMODULE velmgen = GetModuleHandleA("velmgen.dll");
  using LastBitsFn = BYTE* (*)();
  auto lastBits = reinterpret_cast<LastBitsFn>(reinterpret_cast<void*>(GetProcAddress(velmgen, MAKEINTRESOURCEA(5))));
  EXPECT_EQ(lastBits(), nullptr);  // no file at the first open
  using DoitFn = std::int32_t (*)(std::int32_t);
  ASSERT_EQ(reinterpret_cast<DoitFn>(reinterpret_cast<void*>(GetProcAddress(velmgen, MAKEINTRESOURCEA(1))))(0), 1);
  openAgain();
  EXPECT_NE(lastBits(), nullptr);
  click(1009);
  EXPECT_EQ(lastHelp.file, fits);
  close(IDCANCEL);

  storeHelp("c:\\velmora\\" + std::string(260 - 11, 'x'));  // 261 bytes with its zero
  openAgain();
  click(1009);
  EXPECT_EQ(lastHelp.file, fits);
  close(IDCANCEL);

  // 260 bytes stored without a terminating zero: no room to add one.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key), 0);
  const std::string unterminated(260, 'y');
  RegSetValueExA(key, "help", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated.data()), 260);
  RegCloseKey(key);
  openAgain();
  click(1009);
  EXPECT_EQ(lastHelp.file, fits);
  close(IDCANCEL);
  DestroyWindow(viewer);
}

}  // namespace
