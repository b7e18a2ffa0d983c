// uninstall.exe itself, started as the system's list of programs starts it
// and driven through its dialogs with messages, in the run's private Wine
// prefix: the error box, No, Yes with the three ticks, an empty name.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kStepIds[] = {1006, 1007, 1008};
constexpr const char* kHeader =
    ";Uninstall Log (created by Kestrin 98)\n;----------------------------------------------\n";

std::string programDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string windowText(HWND window) {
  char buffer[512] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

struct Search {
  DWORD process;
  const char* title;  // null: any
  HWND found;
};
BOOL CALLBACK visit(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (process != s->process || !IsWindowVisible(window) || std::string(cls) != "#32770") return TRUE;
  if (s->title && windowText(window) != s->title) return TRUE;
  s->found = window;
  return FALSE;
}

// A visible dialog of the process with that title, waiting up to 20 s.
HWND waitForDialog(DWORD process, const char* title) {
  for (int i = 0; i < 400; ++i) {
    Search s{process, title, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(50);
  }
  return nullptr;
}

bool waitUntil(bool (*done)(HWND), HWND window) {
  for (int i = 0; i < 400; ++i) {
    if (done(window)) return true;
    Sleep(50);
  }
  return false;
}

void writeText(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  CloseHandle(f);
}
bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The colour at a point of a window's client area.
COLORREF pixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}
// How many black pixels the rectangle of the client area holds.
int blackPixels(HWND window, RECT r) {
  HDC dc = GetDC(window);
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == RGB(0, 0, 0);
  ReleaseDC(window, dc);
  return n;
}

// A control as the dialog template places it, in dialog units.
struct Placed {
  int id;  // -1: found by its text
  const char* cls;
  const char* text;
  int x, y, w, h;
};
struct Found {
  std::vector<HWND> children;
};
BOOL CALLBACK child(HWND window, LPARAM data) {
  reinterpret_cast<Found*>(data)->children.push_back(window);
  return TRUE;
}
// The controls that are not where the template puts them, or that are
// missing (a static without text stands for the icon, which sizes itself:
// only its corner counts). The dialog's base units come from its client
// area, which is the template's size; a position maps as the dialog manager
// maps it, x * base / 4 and y * base / 8, the size on its own.
std::vector<std::string> misplaced(HWND dialog, int unitsW, int unitsH, const std::vector<Placed>& table) {
  RECT client;
  GetClientRect(dialog, &client);
  const int baseX = (client.right * 4 + unitsW / 2) / unitsW, baseY = (client.bottom * 8 + unitsH / 2) / unitsH;
  Found found;
  EnumChildWindows(dialog, child, reinterpret_cast<LPARAM>(&found));
  std::vector<std::string> wrong;
  for (const Placed& p : table) {
    HWND control = nullptr;
    for (HWND c : found.children) {
      char cls[64] = {};
      GetClassNameA(c, cls, sizeof cls);
      if (lstrcmpiA(cls, p.cls) != 0) continue;
      const bool icon = (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && lstrcmpiA(cls, "Static") == 0;
      if (p.id >= 0 ? GetDlgCtrlID(c) == p.id : p.text[0] ? windowText(c) == p.text : icon) control = c;
    }
    const std::string name = std::string(p.cls) + " " + std::to_string(p.id) + " '" + p.text + "'";
    if (!control) {
      wrong.push_back(name + " missing");
      continue;
    }
    if (p.id >= 0 && windowText(control) != p.text) wrong.push_back(name + " reads '" + windowText(control) + "'");
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const int left = MulDiv(p.x, baseX, 4), top = MulDiv(p.y, baseY, 8);
    const int want[4] = {left, top, left + MulDiv(p.w, baseX, 4), top + MulDiv(p.h, baseY, 8)};
    const int got[4] = {r.left, r.top, r.right, r.bottom};
    const bool icon = std::string(p.cls) == "Static" && p.text[0] == '\0';
    if (icon && !SendMessageA(control, STM_GETICON, 0, 0)) wrong.push_back(name + " shows no icon");
    const int checked = icon ? 2 : 4;
    for (int i = 0; i < checked; ++i)
      if (want[i] != got[i]) {
        wrong.push_back(name + " at " + std::to_string(got[0]) + "," + std::to_string(got[1]) + "," +
                        std::to_string(got[2]) + "," + std::to_string(got[3]));
        break;
      }
  }
  return wrong;
}

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::string("C:\\UnProg-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(dir_.c_str(), nullptr);
    app_ = dir_ + "\\Ostrel";
    log_ = app_ + "\\inst.log";
    entry_ = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ostrel " +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
  }

  // An installation with a log naming it: a folder, a file, a registry value
  // and the uninstall entry.
  void install(bool withName) {
    CreateDirectoryA(app_.c_str(), nullptr);
    writeText(app_ + "\\ostrel.exe", "program");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, entry_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              0);
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>("Ostrel"), 7);
    RegCloseKey(key);
    writeText(log_, std::string(kHeader) + "[MKDIR " + app_ + "]\n[COPY " + app_ + "\\ostrel.exe]\n[UNINSTALLREG " +
                        entry_ + "]\n" + (withName ? "[UNINSTALLAPPNAME Ostrel]\n" : ""));
  }
  bool installed() const {
    HKEY key;
    const bool entry = RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry_.c_str(), 0, KEY_READ, &key) == 0;
    if (entry) RegCloseKey(key);
    return entry && exists(app_ + "\\ostrel.exe") && exists(log_);
  }
  bool removed() const {
    HKEY key;
    const bool entry = RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry_.c_str(), 0, KEY_READ, &key) == 0;
    if (entry) RegCloseKey(key);
    return !entry && !exists(app_);
  }

  // Starts uninstall.exe with this command line, as the uninstall entry's
  // UninstallString starts it.
  void start(const std::string& commandLine) {
    std::string line = programDir() + "uninstall.exe " + commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process_));
  }
  DWORD waitForExit() {
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 12345;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }
  HWND dialog(const char* title) { return waitForDialog(process_.dwProcessId, title); }
  static void press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  // Yes in dialog 102, then dialog 109 titled `title` until its OK is usable.
  HWND proceed(const char* title) {
    HWND confirm = dialog("UnInstall");
    if (!confirm) return nullptr;
    press(confirm, IDOK);
    HWND progress = dialog(title);
    if (!progress) return nullptr;
    EXPECT_TRUE(waitUntil([](HWND d) { return IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE; }, progress));
    return progress;
  }

  std::string dir_, app_, log_, entry_;
  PROCESS_INFORMATION process_{};
};

TEST_F(Program, ALogThatCannotBeOpenedGivesTheErrorBoxAndChangesNothing) {
  install(true);
  start(dir_ + "\\missing.log");
  HWND box = dialog("Uninstall Ostrel ERROR");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), "ERROR #1 in loading log file ...");
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
  press(box, IDCANCEL);
  EXPECT_EQ(waitForExit(), 0u);
  EXPECT_TRUE(installed());
}

TEST_F(Program, NoEndsWithoutTouchingAnything) {
  install(true);
  start(log_);
  HWND confirm = dialog("UnInstall");
  ASSERT_NE(confirm, nullptr);
  // Dialog 102 as made: its question, the icon and Yes as the default.
  HWND question = FindWindowExA(confirm, nullptr, "Static", "Do you want to proceed ?");
  EXPECT_NE(question, nullptr);
  EXPECT_EQ(windowText(GetDlgItem(confirm, IDOK)), "Yes");
  EXPECT_EQ(windowText(GetDlgItem(confirm, IDCANCEL)), "No");
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(confirm, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(misplaced(confirm, 170, 70,
                      {{IDOK, "Button", "Yes", 55, 50, 50, 14},
                       {IDCANCEL, "Button", "No", 110, 50, 50, 14},
                       {-1, "Static", "", 6, 7, 20, 20},
                       {-1, "Static", "Do you want to proceed ?", 53, 37, 104, 11}}),
            std::vector<std::string>{});
  // "Uninstalling ..." and the name are painted above the question.
  RedrawWindow(confirm, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Sleep(200);
  EXPECT_GT(blackPixels(confirm, {80, 16, 200, 40}), 20);
  press(confirm, IDCANCEL);
  EXPECT_EQ(waitForExit(), 0u);
  EXPECT_TRUE(installed());
}

TEST_F(Program, YesRunsThePassesTicksTheStepsAndEnablesOk) {
  install(true);
  start(log_);
  HWND progress = proceed("Ostrel");
  ASSERT_NE(progress, nullptr);
  for (int id : kStepIds) {
    EXPECT_EQ(SendMessageA(GetDlgItem(progress, id), BM_GETCHECK, 0, 0), BST_CHECKED) << id;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(progress, id))) << id;
  }
  EXPECT_TRUE(removed());
  EXPECT_EQ(misplaced(progress, 197, 172,
                      {{IDOK, "Button", "OK", 85, 150, 50, 14},
                       {IDCANCEL, "Button", "Cancel", 140, 150, 50, 14},
                       {1006, "Button", "", 75, 55, 11, 16},
                       {1007, "Button", "", 75, 75, 11, 15},
                       {1008, "Button", "", 75, 90, 11, 15},
                       {-1, "Button", "Uninstall Progress", 65, 45, 125, 95},
                       {-1, "Static", "Clear Registry and shortcuts", 90, 60, 94, 11},
                       {-1, "Static", "Removing Files", 90, 80, 89, 8},
                       {-1, "Static", "Removing Directories", 90, 95, 95, 13}}),
            std::vector<std::string>{});
  // The blue strip down the left edge: pure blue at the top, darker below.
  RedrawWindow(progress, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Sleep(200);
  const COLORREF top = pixelAt(progress, 40, 0), lower = pixelAt(progress, 40, 200);
  EXPECT_EQ(GetRValue(top), 0);
  EXPECT_EQ(GetGValue(top), 0);
  EXPECT_GE(GetBValue(top), 250);
  EXPECT_EQ(GetRValue(lower) | GetGValue(lower), 0);
  EXPECT_LT(GetBValue(lower), 110);
  EXPECT_GT(GetBValue(lower), 50);
  EXPECT_GT(blackPixels(progress, {88, 16, 200, 40}), 20);  // the name
  press(progress, IDOK);
  EXPECT_EQ(waitForExit(), 0u);
}

TEST_F(Program, AQuotedCommandLineNamesTheSameLog) {
  install(true);
  start("\"" + log_ + "\"");
  HWND progress = proceed("Ostrel");
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(removed());
  press(progress, IDOK);
  EXPECT_EQ(waitForExit(), 0u);
}

TEST_F(Program, WithoutANameTheProgressDialogHasNoCaptionAndDrawsNoName) {
  install(false);
  start(log_);
  HWND confirm = dialog("UnInstall");
  ASSERT_NE(confirm, nullptr);
  press(confirm, IDOK);
  HWND progress = dialog("");
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(waitUntil([](HWND d) { return IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE; }, progress));
  RedrawWindow(progress, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Sleep(200);
  EXPECT_EQ(blackPixels(progress, {88, 16, 200, 40}), 0);
  EXPECT_TRUE(removed());
  press(progress, IDOK);
  EXPECT_EQ(waitForExit(), 0u);
}

TEST_F(Program, CancelStopsThePassesAndASecondRunFinishes) {
  install(true);
  // A long log, so that Cancel comes while the passes still run, with a
  // shared file used by one more installation at its end.
  const std::string shared = dir_ + "\\shared.dll";
  writeText(shared, "library");
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            0);
  const DWORD two = 2;
  RegSetValueExA(key, shared.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4);
  std::string log = std::string(kHeader) + "[MKDIR " + app_ + "]\n[COPY " + app_ + "\\ostrel.exe]\n[UNINSTALLREG " +
                    entry_ + "]\n[UNINSTALLAPPNAME Ostrel]\n";
  for (int i = 0; i < 20000; ++i) log += "[COPY " + dir_ + "\\none\\" + std::to_string(i) + "]\n";
  log += "[SCOPY " + shared + "]\n";
  writeText(log_, log);

  start(log_);
  HWND confirm = dialog("UnInstall");
  ASSERT_NE(confirm, nullptr);
  press(confirm, IDOK);
  HWND progress = dialog("Ostrel");
  ASSERT_NE(progress, nullptr);
  press(progress, IDCANCEL);
  EXPECT_EQ(waitForExit(), 0u);
  EXPECT_TRUE(exists(log_));
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
  process_ = {};

  start(log_);
  progress = proceed("Ostrel");
  ASSERT_NE(progress, nullptr);
  press(progress, IDOK);
  EXPECT_EQ(waitForExit(), 0u);
  EXPECT_TRUE(removed());
  DWORD count = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(key, shared.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size), 0);
  EXPECT_EQ(count, 1u);
  EXPECT_TRUE(exists(shared));
  RegCloseKey(key);
}

TEST_F(Program, ResourcesArePortuguesePortugal) {
  HMODULE exe = LoadLibraryExA((programDir() + "uninstall.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  const WORD portugal = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
  EXPECT_NE(FindResourceExA(exe, RT_GROUP_ICON, MAKEINTRESOURCEA(101), portugal), nullptr);
  EXPECT_NE(FindResourceExA(exe, RT_DIALOG, MAKEINTRESOURCEA(102), portugal), nullptr);
  EXPECT_NE(FindResourceExA(exe, RT_DIALOG, MAKEINTRESOURCEA(109), portugal), nullptr);
  EXPECT_NE(FindResourceExA(exe, RT_VERSION, MAKEINTRESOURCEA(1), portugal), nullptr);
  FreeLibrary(exe);
}

}  // namespace
