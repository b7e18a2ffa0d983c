// One whole installation: a script that uses every command, compiled with
// kestrin and run by the engine; the log is compared byte for byte and the
// files and registry are checked.
#include <gtest/gtest.h>

#include "CommandsFixture.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"
#include "platform/ShellLinks.h"

namespace {

using platform::RegRoot;

const char kScript[] = R"(# Velmora's installer, every command once.
string dir, lib
number ok
dir = StartDir + "\\Velmora"
lib = "vt-whole.dll"
mkdir dir
mkdir dir + "\\tmp"
rmdir dir + "\\tmp"
backup dir + "\\backup"
copy @readme.txt, dir + "\\readme.txt"
copy nolog @readme.txt, dir + "\\readme.bak"
copy dir + "\\readme.txt", dir + "\\copy.txt"
scopy @velmgen.dll, lib
setreg HKCU "Software\\VelmoraWhole", "startup", 1
setreg HKCU "Software\\VelmoraWhole", "help", dir + "\\readme.txt"
shortcut dir + "\\velmrun.exe", "", dir + "\\Velmora.lnk", "New wallpaper"
uninstallreg "VelmoraWhole", dir
run "C:\\no-such-program.exe"
logtext "done"
)";

TEST_F(CommandsTest, AWholeInstallation) {
  const std::string shared = platform::systemDirectory() + "\\vt-whole.dll";
  platform::deleteFile(shared);
  const std::string uninstaller = platform::windowsDirectory() + "\\uninstall.exe";
  const std::int64_t uninstallerCount = sharedCount(uninstaller);
  run(kScript, {entry("readme.txt", "Velmora makes wallpapers."), entry("velmgen.dll", testpe::image({1, 0, 0, 0})),
                entry("uninstall", "uninstaller bytes")});
  const std::string d = start() + "\\Velmora";
  const std::string key = std::string(setup::kUninstallKeyPrefix) + "VelmoraWhole";
  const std::string expected = std::string(kLogHeader) +
                               "[MKDIR " + d + "]\n"
                               "[MKDIR " + d + "\\tmp]\n"
                               "[RMDIR " + d + "\\tmp]\n"
                               "[BACKUP " + d + "\\backup]\n"
                               "[COPY " + d + "\\readme.txt]\n"
                               "[COPY " + d + "\\copy.txt]\n"
                               "[SCOPY " + shared + "]\n"
                               "[SETREG HKEY_CURRENT_USER;Software\\VelmoraWhole;startup]\n"
                               "[SETREG HKEY_CURRENT_USER;Software\\VelmoraWhole;help]\n"
                               "[SHORTCUT " + d + "\\Velmora.lnk]\n"
                               "[UNINSTALLREG " + key + "]\n"
                               "[UNINSTALLAPPNAME VelmoraWhole]\n"
                               "[done]\n";
  EXPECT_EQ(readFile(dir_ / "Velmora" / "inst.log"), expected);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "inst.log"));

  EXPECT_EQ(steps, (std::vector<std::string>{
                       "Creating Directory|" + d, "Creating Directory|" + d + "\\tmp", "Removing Directory|" + d + "\\tmp",
                       "Backup Directory |" + d + "\\backup", "Copy file |readme.txt", "Copy file |readme.txt",
                       "Copy file |" + d + "\\copy.txt", "Copy shared file |" + shared, "Create shortcut |New wallpaper",
                       "Running |C:\\no-such-program.exe"}));
  for (const char* name : {"readme.txt", "readme.bak", "copy.txt"})
    EXPECT_EQ(readFile(dir_ / "Velmora" / name), "Velmora makes wallpapers.") << name;
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "Velmora" / "backup"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "Velmora" / "tmp"));
  platform::FileVersion fv;
  ASSERT_EQ(platform::readFileVersion(shared, &fv), 0);
  EXPECT_EQ(fv.fileVersionMs, 0x00010000u);
  EXPECT_EQ(sharedCount(shared), 1);
  EXPECT_EQ(dword(RegRoot::CurrentUser, "Software\\VelmoraWhole", "startup"), 1);
  EXPECT_EQ(value(RegRoot::CurrentUser, "Software\\VelmoraWhole", "help"),
            std::make_pair(platform::kRegSz, d + "\\readme.txt" + '\0'));
  platform::ShellLinkFields link;
  ASSERT_TRUE(platform::readShellLink(d + "\\Velmora.lnk", &link).ok());
  EXPECT_EQ(link.target, d + "\\velmrun.exe");
  EXPECT_EQ(link.description, "New wallpaper");
  EXPECT_EQ(value(RegRoot::LocalMachine, key, "DisplayName"), std::make_pair(platform::kRegSz, std::string("VelmoraWhole") + '\0'));
  EXPECT_EQ(value(RegRoot::LocalMachine, key, "UninstallString"),
            std::make_pair(platform::kRegSz, uninstaller + " " + d + "\\inst.log" + '\0'));
  EXPECT_EQ(contents(uninstaller), "uninstaller bytes");
  EXPECT_EQ(sharedCount(uninstaller), uninstallerCount < 0 ? 1 : uninstallerCount + 1);

  platform::deleteFile(shared);
  platform::regDeleteTree(root(RegRoot::CurrentUser), "Software\\VelmoraWhole");
  platform::regDeleteTree(root(RegRoot::LocalMachine), key);
}

}  // namespace
