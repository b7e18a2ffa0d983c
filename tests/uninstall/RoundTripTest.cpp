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

#include "PrefixState.h"
#include "SetupDriver.h"
#include "UninstallDriver.h"
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
  const std::set<std::string> before = prefix::state();

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
  {
    driver::Program uninstall(command, "");
    ASSERT_TRUE(uninstall.started());
    EXPECT_TRUE(driver::answerUninstall(uninstall.id(), "Ostrel Trip"));
    EXPECT_EQ(uninstall.waitExit(), 0);
  }

  const std::set<std::string> after = prefix::state();
  EXPECT_EQ(prefix::minus(before, after), std::vector<std::string>{});
  const std::string uninstall = windowsDir() + "\\uninstall.exe";
  std::vector<std::string> left = {
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs|" + uninstall + "=4:" + std::string(1, '\x01') +
          std::string(3, '\0'),
      "HKLM\\Software\\OstrelTrip\\",
      uninstall,
  };
  std::sort(left.begin(), left.end());
  std::vector<std::string> added = prefix::minus(after, before);
  std::erase(added, std::string("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\"));
  EXPECT_EQ(added, left);
}

}  // namespace
