// Velmora installs itself, end to end, in this program's fresh Wine prefix:
// the dist/ folder that scripts/dist makes (setup.exe and the VELMORA.iNN
// volumes, named by VELMORA_DIST) is copied to C:\velmora-dist as a person
// receives it, and setup.exe is driven through its real dialogs. The tests
// run in order and share the prefix: install, Wine's list of programs, a
// session start running the log-on runner, Wine's control panel opening the
// installed applet, removal through the uninstall entry, two installations
// and one removal, and the dry run.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "BmpImage.h"
#include "HelpViewerWindow.h"
#include "PrefixState.h"
#include "SetupDriver.h"
#include "UninstallDriver.h"

namespace {

constexpr char kPackDir[] = "C:\\velmora-dist";
constexpr char kInstallDir[] = "C:\\Program Files\\Velmora";
constexpr char kSecondDir[] = "C:\\Program Files\\Velmora Two";
constexpr char kWallpaper[] = "C:\\windows\\velmora.bmp";
constexpr char kEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSettingsKey[] = "Control Panel\\Velmora";
constexpr char kSharedKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kSharedLine[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kSettingsLine[] = "HKCU\\Control Panel\\Velmora";
constexpr char kAppletTitle[] = "Velmora Control Panel";
constexpr int kPathEntry = 1007, kInfoText = 1002, kHelpButton = 1009;

// A Linux path as this prefix sees it (drive Z: is the Linux root).
std::string fromLinux(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

std::string windowsDir() {
  char path[MAX_PATH];
  return std::string(path, GetWindowsDirectoryA(path, MAX_PATH));
}
std::string systemDir() {
  char path[MAX_PATH];
  return std::string(path, GetSystemDirectoryA(path, MAX_PATH));
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string registryString(HKEY root, const char* key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != 0) return "<none>";
  return value;
}
// A REG_DWORD, or -1 when there is none.
std::int64_t registryNumber(HKEY root, const char* key, const char* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(root, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != 0) return -1;
  return value;
}
std::int64_t sharedCount(const std::string& file) { return registryNumber(HKEY_LOCAL_MACHINE, kSharedKey, file.c_str()); }
std::int64_t seed() { return registryNumber(HKEY_CURRENT_USER, kSettingsKey, "seed"); }

// The pack folder, copied from dist/ once; empty and a message when dist/
// is missing or older than this build.
struct Pack {
  bool ready = false;
  std::string problem;
};

Pack copyDist() {
  Pack pack;
  char unixPath[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("VELMORA_DIST", unixPath, sizeof unixPath);
  const std::string dist = n ? fromLinux(unixPath) : "";
  const std::string remedy = " Run scripts/dist " + std::string(n ? unixPath : "build/dist") +
                             " (scripts/test does) before this test.";
  if (!n) return {false, "VELMORA_DIST names no folder." + remedy};
  if (!exists(dist + "\\setup.exe") || !exists(dist + "\\VELMORA.i00"))
    return {false, "No installer in " + std::string(unixPath) + "." + remedy};
  // The pack must hold this build: the setup.exe beside it is this build's.
  if (driver::fileText(dist + "\\setup.exe") != driver::fileText(driver::programDir() + "setup.exe"))
    return {false, std::string(unixPath) + " holds another build's setup.exe." + remedy};
  CreateDirectoryA(kPackDir, nullptr);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dist + "\\*").c_str(), &found);
  int copied = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (!CopyFileA((dist + "\\" + found.cFileName).c_str(), (std::string(kPackDir) + "\\" + found.cFileName).c_str(),
                     FALSE))
        return {false, std::string("Cannot copy ") + found.cFileName + " from " + unixPath};
      ++copied;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  pack.ready = copied >= 3;
  if (!pack.ready) pack.problem = "Too few files in " + std::string(unixPath) + "." + remedy;
  return pack;
}

const Pack& thePack() {
  static const Pack pack = copyDist();
  return pack;
}

// The state before the first installation, for the removal's comparison.
std::set<std::string>& stateBeforeInstall() {
  static std::set<std::string> state;
  return state;
}

// How one run of setup.exe is answered.
struct Answers {
  std::string dir = kInstallDir;  // typed into the path dialog when not the default
  bool wallpaperNow = false;      // the closing question
  std::string arguments;
};

// Runs setup.exe from the pack folder through its dialogs; the titles of
// the dialogs in the order they came.
std::vector<std::string> install(const Answers& answers) {
  std::vector<std::string> seen;
  std::string command = std::string("\"") + kPackDir + "\\setup.exe\"";
  if (!answers.arguments.empty()) command += " " + answers.arguments;
  driver::Program setup(command, kPackDir);
  EXPECT_TRUE(setup.started());

  HWND welcome = setup.waitDialog("Welcome to Velmora");
  if (!welcome) return seen;
  seen.push_back("Welcome to Velmora");
  EXPECT_EQ(driver::itemText(welcome, kInfoText).rfind("Welcome to Velmora.", 0), 0u)
      << driver::itemText(welcome, kInfoText);
  // The side picture fills (10, 10, 119 x 295) one to one.
  const bmp::Image side = bmp::read(fromLinux(VELMORA_SOURCE_DIR "/packaging/side.bmp"));
  EXPECT_EQ(side.width, 119);
  EXPECT_EQ(side.height, 295);
  if (side.width == 119 && side.height == 295) {
    std::vector<std::uint32_t> shown;
    for (int tries = 0; tries < 40 && shown != side.colours; ++tries, Sleep(50)) {
      const POINT at = driver::onScreen(welcome, 10, 10);
      shown = driver::captureScreen(at.x, at.y, 119, 295);
    }
    EXPECT_TRUE(shown == side.colours) << "the welcome dialog does not show packaging/side.bmp";
  }
  driver::press(welcome, IDOK);

  HWND path = setup.waitDialog("Destination");
  if (!path) return seen;
  seen.push_back("Destination");
  EXPECT_EQ(driver::itemText(path, kPathEntry), kInstallDir);
  if (answers.dir != kInstallDir) driver::type(path, kPathEntry, answers.dir);
  driver::press(path, IDOK);

  HWND done = setup.waitDialog("Velmora Setup", 60000);
  if (!done) return seen;
  seen.push_back("Velmora Setup");
  EXPECT_EQ(driver::boxText(done), "Velmora is installed.\nMake a new wallpaper now?");
  driver::press(done, answers.wallpaperNow ? IDYES : IDNO);
  EXPECT_EQ(setup.waitExit(30000), 0);
  return seen;
}

// Runs a program of the system directory and returns what it wrote.
std::string outputOf(const std::string& commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = writeEnd;
  start.hStdError = writeEnd;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  const BOOL started =
      CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, "C:\\", &start, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n) output.append(buffer, n);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  return output;
}

// True while some process runs velmrun.exe.
bool runnerRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    found = lstrcmpiA(entry.szExeFile, "velmrun.exe") == 0;
  CloseHandle(snapshot);
  return found;
}

// Waits for a runner started elsewhere to have made a new wallpaper: a file
// other than `before` and a seed other than `seedBefore`, and no runner left.
bool waitForNewWallpaper(const std::string& before, std::int64_t seedBefore) {
  for (int i = 0; i < 400; ++i, Sleep(50)) {
    if (!runnerRunning() && seed() != seedBefore && exists(kWallpaper) && driver::fileText(kWallpaper) != before)
      return true;
  }
  return false;
}

// The full path of a module that the process has loaded, by file name.
std::string modulePath(HANDLE process, const char* name) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return "";
  for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
    char path[MAX_PATH] = {};
    GetModuleFileNameExA(process, modules[i], path, MAX_PATH);
    const char* base = std::strrchr(path, '\\');
    if (base && lstrcmpiA(base + 1, name) == 0) return path;
  }
  return "";
}

// Every visible top-level window as "program: title", for failure messages.
std::string visibleWindows() {
  std::string out;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        if (!IsWindowVisible(w)) return TRUE;
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        char text[256] = {}, cls[64] = {}, path[MAX_PATH] = "?";
        GetWindowTextA(w, text, sizeof text);
        GetClassNameA(w, cls, sizeof cls);
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner)) {
          DWORD size = sizeof path;
          QueryFullProcessImageNameA(process, 0, path, &size);
          CloseHandle(process);
        }
        *reinterpret_cast<std::string*>(p) += std::string(path) + ": [" + cls + "] " + text + "\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

// `wine control velmcpl.cpl`, started from C:\ so that only the system
// directory can supply the applet: its settings dialog comes up from where
// setup put it and its preview shows the wallpaper file. Help opens the
// installed help file in the system's help viewer (when `help` is set).
// Cancel closes it.
void openAppletFromTheControlPanel(bool help) {
  const bmp::Image wallpaper = bmp::read(kWallpaper);
  ASSERT_GT(wallpaper.width, 0) << kWallpaper << " is no 8-bit bitmap";
  driver::Program control("control.exe velmcpl.cpl", "C:\\");
  ASSERT_TRUE(control.started());
  HWND dialog = driver::waitAnyWindow("#32770", kAppletTitle, 30000);
  ASSERT_NE(dialog, nullptr) << "the control panel did not open the applet";
  DWORD owner = 0;
  GetWindowThreadProcessId(dialog, &owner);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, owner);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(modulePath(process, "velmcpl.cpl"), systemDir() + "\\velmcpl.cpl");
  EXPECT_EQ(modulePath(process, "velmgen.dll"), systemDir() + "\\velmgen.dll");
  CloseHandle(process);

  // The preview, 128 x 128 at (16, 24), shows the image's lower-left
  // width x height pixels of the settings (64 x 64 by default), stretched:
  // each pixel of the file as a 2 x 2 block when they are 64 x 64.
  const auto width = registryNumber(HKEY_CURRENT_USER, kSettingsKey, "size_x");
  const auto height = registryNumber(HKEY_CURRENT_USER, kSettingsKey, "size_y");
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 64);
  std::vector<std::uint32_t> expected;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) expected.push_back(wallpaper.at(x / 2, wallpaper.height - 64 + y / 2));
  std::vector<std::uint32_t> shown;
  for (int tries = 0; tries < 40 && shown != expected; ++tries, Sleep(50)) {
    const POINT at = driver::onScreen(dialog, 16, 24);
    shown = driver::captureScreen(at.x, at.y, 128, 128);
  }
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < expected.size() && i < shown.size(); ++i) wrong += shown[i] != expected[i];
  EXPECT_EQ(wrong, 0u) << "preview pixels that differ from " << kWallpaper;

  if (help) {
    // The viewer, a process of its own, shows the contents topic of the
    // installed file (started by WinHelpA it keeps its own caption).
    driver::press(dialog, kHelpButton);
    HWND viewer = nullptr;
    std::string shown;
    for (int i = 0; i < 400 && shown.find("Velmora makes new") == std::string::npos; ++i, Sleep(50)) {
      viewer = FindWindowA("MS_WINHELP", nullptr);
      if (viewer) shown = helpview::shownText(viewer);
    }
    EXPECT_EQ(shown.rfind("Velmora Help", 0), 0u) << "Help did not show velmora.hlp; windows:\n"
                                                  << visibleWindows() << "shown: " << shown;
    EXPECT_NE(shown.find("Velmora makes new, randomly generated desktop wallpapers"), std::string::npos) << shown;
    if (viewer) {
      DWORD id = 0;
      GetWindowThreadProcessId(viewer, &id);
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
      PostMessageA(viewer, WM_CLOSE, 0, 0);
      if (process && WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
      if (process) CloseHandle(process);
    }
  }

  driver::press(dialog, IDCANCEL);
  EXPECT_EQ(control.waitExit(20000), 0);
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(thePack().ready) << thePack().problem; }
};

// 1. Installed through the welcome, path and closing dialogs: the log, the
// files and the registry as packaging/velmora.kes says, and nothing else.
TEST_F(EndToEnd, InstallsThroughItsDialogs) {
  // The prefix has had a session start before Velmora arrives, as any
  // computer has: what wineboot itself writes is no part of the comparison.
  {
    driver::Program boot("wineboot.exe", "C:\\");
    ASSERT_EQ(boot.waitExit(60000), 0);
  }
  stateBeforeInstall() = prefix::state();
  const std::vector<std::string> seen = install({});
  EXPECT_EQ(seen, (std::vector<std::string>{"Welcome to Velmora", "Destination", "Velmora Setup"}));

  const std::string dir = kInstallDir, windows = windowsDir(), system = systemDir();
  const std::string runner = dir + "\\velmrun.exe";
  EXPECT_EQ(driver::fileText(dir + "\\VELMORA.log"),
            std::string(driver::kHeader) +                                                    //
                "[MKDIR " + dir + "]\n"                                                       //
                "[COPY " + dir + "\\readme.txt]\n"                                            //
                "[COPY " + dir + "\\velmora.hlp]\n"                                           //
                "[COPY " + runner + "]\n"                                                     //
                "[SCOPY " + system + "\\velmgen.dll]\n"                                       //
                "[SCOPY " + system + "\\velmcpl.cpl]\n"                                       //
                "[SETREG HKEY_CURRENT_USER;" + kRunKey + ";Velmora]\n"                        //
                "[SETREG HKEY_CURRENT_USER;" + kSettingsKey + ";help]\n"                      //
                "[SHORTCUT " + dir + "\\New wallpaper.lnk]\n"                                 //
                "[UNINSTALLREG " + kEntryKey + "]\n"                                          //
                "[UNINSTALLAPPNAME Velmora]\n");
  EXPECT_FALSE(exists(std::string(kPackDir) + "\\VELMORA.log")) << "the log stayed in the pack folder";

  // The files are the build's own (scripts/dist packed them from it).
  const std::string bin = driver::programDir();
  const std::pair<std::string, std::string> copies[] = {
      {runner, bin + "velmrun.exe"},
      {system + "\\velmgen.dll", bin + "velmgen.dll"},
      {system + "\\velmcpl.cpl", bin + "velmcpl.cpl"},
      {windows + "\\uninstall.exe", bin + "uninstall.exe"},
      {dir + "\\readme.txt", fromLinux(VELMORA_SOURCE_DIR "/packaging/readme.txt")},
  };
  for (const auto& [installed, original] : copies) {
    const std::string bytes = driver::fileText(installed);
    EXPECT_FALSE(bytes.empty()) << installed;
    EXPECT_TRUE(bytes == driver::fileText(original)) << installed << " differs from " << original;
  }
  EXPECT_EQ(driver::fileText(dir + "\\velmora.hlp").substr(0, 4), std::string("?_\x03\0", 4)) << "no help file";

  EXPECT_EQ(registryString(HKEY_CURRENT_USER, kRunKey, "Velmora"), "\"" + runner + "\"");
  EXPECT_EQ(registryString(HKEY_CURRENT_USER, kSettingsKey, "help"), dir + "\\velmora.hlp");
  EXPECT_EQ(registryString(HKEY_LOCAL_MACHINE, kEntryKey, "DisplayName"), "Velmora");
  EXPECT_EQ(registryString(HKEY_LOCAL_MACHINE, kEntryKey, "UninstallString"),
            windows + "\\uninstall.exe " + dir + "\\VELMORA.log");
  for (const std::string& shared : {system + "\\velmgen.dll", system + "\\velmcpl.cpl", windows + "\\uninstall.exe"})
    EXPECT_EQ(sharedCount(shared), 1) << shared;

  // The shortcut starts the runner.
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             reinterpret_cast<void**>(&link)),
            S_OK);
  IPersistFile* file = nullptr;
  ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  const std::wstring lnk = L"C:\\Program Files\\Velmora\\New wallpaper.lnk";
  EXPECT_EQ(file->Load(lnk.c_str(), STGM_READ), S_OK);
  char target[MAX_PATH] = {}, description[MAX_PATH] = {};
  link->GetPath(target, MAX_PATH, nullptr, 0);
  link->GetDescription(description, MAX_PATH);
  EXPECT_EQ(lstrcmpiA(target, runner.c_str()), 0) << target;
  EXPECT_EQ(std::string(description), "Make a new Velmora wallpaper");
  file->Release();
  link->Release();

  // Nothing else changed: the prefix gained exactly these lines.
  const std::set<std::string> after = prefix::state();
  EXPECT_EQ(prefix::minus(stateBeforeInstall(), after), std::vector<std::string>{});
  std::vector<std::string> added = prefix::minus(after, stateBeforeInstall());
  std::erase(added, std::string(kSharedLine) + "\\");
  const std::string one("\x01\0\0\0", 4);
  auto sz = [](const std::string& text) { return "=1:" + text + std::string(1, '\0'); };
  std::vector<std::string> expected = {
      dir + "\\",
      dir + "\\New wallpaper.lnk",
      dir + "\\VELMORA.log",
      dir + "\\readme.txt",
      dir + "\\velmora.hlp",
      runner,
      system + "\\velmcpl.cpl",
      system + "\\velmgen.dll",
      windows + "\\uninstall.exe",
      std::string(kSettingsLine) + "\\",
      std::string(kSettingsLine) + "|help" + sz(dir + "\\velmora.hlp"),
      "HKCU\\" + std::string(kRunKey) + "|Velmora" + sz("\"" + runner + "\""),
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora\\",
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora|DisplayName" + sz("Velmora"),
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora|UninstallString" +
          sz(windows + "\\uninstall.exe " + dir + "\\VELMORA.log"),
      std::string(kSharedLine) + "|" + system + "\\velmcpl.cpl=4:" + one,
      std::string(kSharedLine) + "|" + system + "\\velmgen.dll=4:" + one,
      std::string(kSharedLine) + "|" + windows + "\\uninstall.exe=4:" + one,
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(added, expected);
}

// 2. Wine's own list of installed programs names it: "key|||DisplayName".
TEST_F(EndToEnd, ListedAmongInstalledPrograms) {
  const std::string list = outputOf("uninstaller.exe --list");
  EXPECT_NE(list.find("Velmora|||Velmora"), std::string::npos) << list;
}

// 3. A session start (wineboot, what log-on is under Wine) runs the HKCU Run
// entries: the installed velmrun.exe makes a new wallpaper file and stores a
// new seed, at every session start.
TEST_F(EndToEnd, EverySessionStartMakesANewWallpaper) {
  ASSERT_FALSE(exists(kWallpaper)) << "a wallpaper before the first session start";
  std::string file;
  std::int64_t seedBefore = seed();
  EXPECT_EQ(seedBefore, -1) << "the installation stores only \"help\"";
  for (int session = 1; session <= 2; ++session) {
    driver::Program boot("wineboot.exe", "C:\\");
    ASSERT_TRUE(boot.started());
    EXPECT_EQ(boot.waitExit(60000), 0);
    ASSERT_TRUE(waitForNewWallpaper(file, seedBefore)) << "session " << session << ": no new wallpaper";
    const bmp::Image image = bmp::read(kWallpaper);
    EXPECT_TRUE((image.width == 64 && image.height == 64) || (image.width == 128 && image.height == 128))
        << image.width << " x " << image.height;
    file = driver::fileText(kWallpaper);
    seedBefore = seed();
  }
}

// 4. Wine's control panel opens the applet from the system directory.
TEST_F(EndToEnd, ControlPanelOpensTheInstalledApplet) { openAppletFromTheControlPanel(true); }

// 5. Removed by Wine's list of programs, which runs the entry's
// UninstallString: the prefix is as before the installation but for what
// no log record covers (uninstall.exe in the Windows directory and its
// SharedDLLs count) and what the programs made themselves (the wallpaper
// file and the settings key with its values).
TEST_F(EndToEnd, RemovedThroughItsUninstallEntry) {
  ASSERT_FALSE(stateBeforeInstall().empty());
  driver::Program remover("uninstaller.exe --remove Velmora", "C:\\");
  ASSERT_TRUE(remover.started());
  EXPECT_TRUE(driver::answerUninstall(0, "Velmora"));
  EXPECT_EQ(remover.waitExit(30000), 0);

  const std::set<std::string> after = prefix::state();
  EXPECT_EQ(prefix::minus(stateBeforeInstall(), after), std::vector<std::string>{});
  std::vector<std::string> added = prefix::minus(after, stateBeforeInstall());
  std::erase(added, std::string(kSharedLine) + "\\");
  std::set<std::string> settings;
  std::erase_if(added, [&](const std::string& line) {
    if (line.rfind(std::string(kSettingsLine) + "|", 0) != 0) return false;
    settings.insert(line.substr(sizeof kSettingsLine, line.find('=') - sizeof kSettingsLine));
    return true;
  });
  EXPECT_EQ(settings, (std::set<std::string>{"colours", "mode", "seed", "size_x", "size_y", "startup"}));
  const std::string uninstall = windowsDir() + "\\uninstall.exe";
  std::vector<std::string> expected = {
      std::string(kSharedLine) + "|" + uninstall + "=4:" + std::string("\x01\0\0\0", 4),
      std::string(kSettingsLine) + "\\",
      kWallpaper,
      uninstall,
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(added, expected);
}

// 6. Installed twice, into two folders (a second installation into the same
// folder would append to the first one's log, and its removal would undo
// both), then removed once through the entry, which names the second: the
// shared files keep a count of 1 and work, the first folder's runner still
// makes wallpapers and the applet still opens. The first installation is
// then removed through its own log.
TEST_F(EndToEnd, TwoInstallationsOneRemovalLeaveTheSharedFilesWorking) {
  const std::string system = systemDir(), uninstall = windowsDir() + "\\uninstall.exe";
  const std::set<std::string> before = prefix::state();
  install({});
  // The closing question answered Yes runs the runner at once.
  const std::string wallpaper = driver::fileText(kWallpaper);
  const std::int64_t seedBefore = seed();
  EXPECT_EQ(install({kSecondDir, true, ""}),
            (std::vector<std::string>{"Welcome to Velmora", "Destination", "Velmora Setup"}));
  EXPECT_TRUE(waitForNewWallpaper(wallpaper, seedBefore)) << "Yes to the closing question made no wallpaper";
  for (const char* name : {"\\velmgen.dll", "\\velmcpl.cpl"}) EXPECT_EQ(sharedCount(system + name), 2) << name;
  EXPECT_EQ(sharedCount(uninstall), 3);
  const std::string command = registryString(HKEY_LOCAL_MACHINE, kEntryKey, "UninstallString");
  EXPECT_EQ(command, uninstall + " " + kSecondDir + "\\VELMORA.log");

  {
    driver::Program remove(command, "");
    ASSERT_TRUE(remove.started());
    EXPECT_TRUE(driver::answerUninstall(remove.id(), "Velmora"));
    EXPECT_EQ(remove.waitExit(), 0);
  }
  EXPECT_FALSE(exists(kSecondDir));
  EXPECT_TRUE(exists(std::string(kInstallDir) + "\\velmrun.exe"));
  for (const char* name : {"\\velmgen.dll", "\\velmcpl.cpl"}) {
    EXPECT_EQ(sharedCount(system + name), 1) << name;
    EXPECT_TRUE(exists(system + name)) << name;
  }
  EXPECT_EQ(registryString(HKEY_LOCAL_MACHINE, kEntryKey, "DisplayName"), "<none>");

  // Working: the first folder's runner finds the library, and the applet opens.
  {
    const std::string file = driver::fileText(kWallpaper);
    const std::int64_t seedNow = seed();
    driver::Program runner(std::string("\"") + kInstallDir + "\\velmrun.exe\"", "C:\\");
    ASSERT_TRUE(runner.started());
    EXPECT_EQ(runner.waitExit(), 0);
    EXPECT_TRUE(waitForNewWallpaper(file, seedNow));
  }
  // The "help" value went with the second installation: Help is not tried.
  openAppletFromTheControlPanel(false);

  {
    driver::Program remove(uninstall + " " + kInstallDir + "\\VELMORA.log", "");
    ASSERT_TRUE(remove.started());
    EXPECT_TRUE(driver::answerUninstall(remove.id(), "Velmora"));
    EXPECT_EQ(remove.waitExit(), 0);
  }
  // Both gone; only the uninstaller's count rose, by the two installations.
  const std::set<std::string> after = prefix::state();
  auto withoutSettings = [](std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& l) { return l.rfind(std::string(kSettingsLine) + "|", 0) == 0; });
    return lines;
  };
  const std::string countLine = std::string(kSharedLine) + "|" + uninstall + "=4:";
  EXPECT_EQ(withoutSettings(prefix::minus(before, after)),
            std::vector<std::string>{countLine + std::string("\x01\0\0\0", 4)});
  EXPECT_EQ(withoutSettings(prefix::minus(after, before)),
            std::vector<std::string>{countLine + std::string("\x03\0\0\0", 4)});
}

// 7. "-d": every dialog that waits for an answer comes up and is answered
// as in a real run (the progress dialog comes and goes at once when no
// command works), Yes to the closing question included, and the prefix
// keeps every file and value; the dry run's log, in the pack folder, is
// all it writes.
TEST_F(EndToEnd, DashDShowsEveryDialogAndChangesNothing) {
  const std::set<std::string> before = prefix::state();
  const std::string wallpaper = driver::fileText(kWallpaper);
  const std::vector<std::string> seen = install({kSecondDir, true, "-d"});
  EXPECT_EQ(seen, (std::vector<std::string>{"Welcome to Velmora", "Destination", "Velmora Setup"}));
  Sleep(1000);  // a runner started by mistake would have written by now
  EXPECT_FALSE(runnerRunning());
  EXPECT_TRUE(driver::fileText(kWallpaper) == wallpaper);
  const std::set<std::string> after = prefix::state();
  EXPECT_EQ(prefix::minus(before, after), std::vector<std::string>{});
  const std::string log = std::string(kPackDir) + "\\VELMORA.log";
  EXPECT_EQ(prefix::minus(after, before), std::vector<std::string>{log});
  EXPECT_EQ(driver::fileText(log), std::string(driver::kHeader));
  DeleteFileA(log.c_str());
}

}  // namespace
