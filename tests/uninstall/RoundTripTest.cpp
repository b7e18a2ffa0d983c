// The round trip under Wine: setup.exe installs from a kestrin pack, the
// uninstall entry's UninstallString is run exactly as the registry holds it
// and answered Yes, and the prefix's files and registry are compared with
// their state before the installation. Only the uninstaller in the Windows
// directory and its shared-file count may stay, with the key SETREG made
// (its value goes, the key is not recorded).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "SetupDriver.h"
#include "VersionedPe.h"

namespace {

const char kScript[] = R"(string dir
dir = "C:\\Program Files\\Ostrel Configura\xE7\xF5\x65s"
mkdir dir
mkdir dir + "\\data #1"
backup dir + "\\backup"
copy @readme.txt, dir + "\\readme.txt"
copy @readme.txt, dir + "\\data #1\\notes #2.txt"
scopy @ostrel.dll, "vt-trip.dll"
setreg HKCU "Software\\OstrelTrip", "startup", 1
setreg HKLM "Software\\OstrelTrip", "home", dir
shortcut dir + "\\readme.txt", "", dir + "\\Ostrel.lnk", "Read me"
uninstallreg "Ostrel Trip", dir
logtext "DELREG HKEY_CURRENT_USER;Software\\OstrelTrip"
)";
constexpr const char* kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ostrel Trip";

std::string windowsDir() {
  char path[MAX_PATH];
  return std::string(path, GetWindowsDirectoryA(path, MAX_PATH));
}

// Every file and folder of drive C: but the temporary folders; links (the
// user's folders that Wine points at the Linux home) are not followed.
void listTree(const std::string& dir, std::set<std::string>* out) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == ".." || lstrcmpiA(name.c_str(), "Temp") == 0) continue;
    const std::string path = dir + "\\" + name;
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out->insert(path + (folder ? "\\" : ""));
    if (folder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) listTree(path, out);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Every key and value (key|name=type:data) below a key, but for the class
// registrations (thousands of keys that neither program touches).
void dumpKey(HKEY root, const std::string& where, const std::string& key, std::set<std::string>* out) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != 0) return;
  out->insert(where + key + "\\");
  char name[16384];
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueA(k, i, name, &nameSize, nullptr, &type, data.data(), &size) != 0) break;
    out->insert(where + key + "|" + name + "=" + std::to_string(type) + ":" +
                std::string(data.begin(), data.begin() + size));
  }
  std::vector<std::string> subKeys;
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != 0) break;
    subKeys.push_back(name);
  }
  RegCloseKey(k);
  for (const auto& s : subKeys)
    if (lstrcmpiA(s.c_str(), "Classes") != 0) dumpKey(root, where, key + "\\" + s, out);
}

std::set<std::string> prefixState() {
  std::set<std::string> s;
  listTree("C:", &s);
  dumpKey(HKEY_LOCAL_MACHINE, "HKLM\\", "Software", &s);
  dumpKey(HKEY_CURRENT_USER, "HKCU\\", "Software", &s);
  return s;
}

std::vector<std::string> minus(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::vector<std::string> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

std::string registryString(HKEY root, const char* key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != 0) return "";
  return value;
}

TEST(RoundTrip, SetupInstallsItsUninstallStringUndoes) {
  const std::string dir = driver::freshDir("roundtrip");
  std::vector<std::uint8_t> uninstaller;
  {
    std::ifstream in(driver::programDir() + "uninstall.exe", std::ios::binary);
    uninstaller.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(uninstaller.size(), 1000u);
  testpe::Version version;
  version.major = 2;
  driver::pack(dir, kScript,
               {{"readme.txt", "", {'O', 's', 't', 'r', 'e', 'l'}, 0},
                {"ostrel.dll", "", testpe::image(version), 0},
                {"uninstall", "", uninstaller, 0}});
  const std::set<std::string> before = prefixState();

  {
    driver::Installer setup(dir);
    ASSERT_TRUE(setup.started());
    ASSERT_EQ(setup.waitExit(60000), 0);
  }
  const std::string app = "C:\\Program Files\\Ostrel Configura\xE7\xF5\x65s";
  ASSERT_NE(GetFileAttributesA((app + "\\data #1\\notes #2.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  const std::string command = registryString(HKEY_LOCAL_MACHINE, kEntry, "UninstallString");
  ASSERT_EQ(command, windowsDir() + "\\uninstall.exe " + app + "\\SETUP.log");

  // The uninstall entry's command, as the system's list of programs runs it.
  std::string line = command;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  auto dialogOf = [&](const char* title) -> HWND {
    for (int i = 0; i < 600; ++i) {
      struct S {
        DWORD process;
        const char* title;
        HWND found;
      } s{process.dwProcessId, title, nullptr};
      EnumWindows(
          [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<S*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[64] = {}, text[256] = {};
            GetClassNameA(w, cls, sizeof cls);
            GetWindowTextA(w, text, sizeof text);
            if (owner != s->process || !IsWindowVisible(w) || std::string(cls) != "#32770" ||
                std::string(text) != s->title)
              return TRUE;
            s->found = w;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&s));
      if (s.found) return s.found;
      Sleep(50);
    }
    return nullptr;
  };
  HWND confirm = dialogOf("UnInstall");
  ASSERT_NE(confirm, nullptr);
  driver::press(confirm, IDOK);
  HWND progress = dialogOf("Ostrel Trip");
  ASSERT_NE(progress, nullptr);
  for (int i = 0; i < 400 && !IsWindowEnabled(GetDlgItem(progress, IDOK)); ++i) Sleep(50);
  driver::press(progress, IDOK);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);

  const std::set<std::string> after = prefixState();
  EXPECT_EQ(minus(before, after), std::vector<std::string>{});
  const std::string uninstall = windowsDir() + "\\uninstall.exe";
  std::vector<std::string> left = {
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs|" + uninstall + "=4:" + std::string(1, '\x01') +
          std::string(3, '\0'),
      "HKLM\\Software\\OstrelTrip\\",
      uninstall,
  };
  std::sort(left.begin(), left.end());
  std::vector<std::string> added = minus(after, before);
  std::erase(added, std::string("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\"));
  EXPECT_EQ(added, left);
}

}  // namespace
