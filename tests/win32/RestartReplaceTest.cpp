// A shared file in use, replaced at the next restart: SCOPY answered Ignore
// names the waiting copy in wininit.ini, and Wine's restart (wineboot -r,
// what a restart of the prefix runs) carries out the rename. Measured: it
// moves "<file>.reboot" over the file, deletes nothing else, and renames
// wininit.ini to wininit.bak. A program of its own, so the restart touches
// no other test's prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include "CommandsFixture.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"

namespace {

std::uint32_t majorOf(const std::string& path) {
  platform::FileVersion fv;
  return platform::readFileVersion(path, &fv) == 0 ? fv.fileVersionMs >> 16 : 0;
}

// Runs "wineboot.exe -r" and waits for it.
bool restartPrefix() {
  char line[] = "wineboot.exe -r";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  const DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return waited == WAIT_OBJECT_0;
}

TEST_F(CommandsTest, AFileInUseIsReplacedWhenThePrefixRestarts) {
  const std::string name = "vt-restart.dll";
  const std::string installed = platform::systemDirectory() + "\\" + name;
  run("scopy @lib, \"" + name + "\"\n", {entry("lib", testpe::image({1, 0, 0, 0}))});
  ASSERT_EQ(majorOf(installed), 1u);

  answers = {setup::CopyErrorAnswer::Ignore};
  HANDLE held = CreateFileA(installed.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  run("scopy @lib, \"" + name + "\"\n", {entry("lib", testpe::image({2, 0, 0, 0}))});
  CloseHandle(held);
  ASSERT_EQ(records(), "[SCOPY " + installed + "]\n");
  ASSERT_EQ(setup::engineState().rebootNeeded, 1);
  ASSERT_EQ(majorOf(installed), 1u);
  ASSERT_EQ(majorOf(installed + ".reboot"), 2u);

  ASSERT_TRUE(restartPrefix());
  EXPECT_EQ(majorOf(installed), 2u);
  EXPECT_FALSE(platform::fileExists(installed + ".reboot"));
  EXPECT_FALSE(platform::fileExists(platform::windowsDirectory() + "\\wininit.ini"));
  EXPECT_TRUE(platform::fileExists(platform::windowsDirectory() + "\\wininit.bak"));
  platform::deleteFile(installed);
}

}  // namespace
