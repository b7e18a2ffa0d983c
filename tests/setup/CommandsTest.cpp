// The install commands on real files and the real registry: directories,
// copies, shared files, registry values, shortcuts and the uninstall entry,
// with their log records and progress steps.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "CommandsFixture.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"
#include "platform/ProfileFiles.h"
#include "platform/ShellLinks.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using setup::CopyErrorAnswer;
using platform::RegRoot;

const std::string kDecl = "string d\n";

TEST_F(CommandsTest, DirectoriesAndBackups) {
  std::filesystem::create_directories(dir_ / "there");
  std::filesystem::create_directories(dir_ / "full" / "inside");
  run(kDecl + "d = StartDir\n"
              "mkdir d + \"\\\\new\"\n"
              "mkdir d + \"\\\\there\"\n"        // exists: cancelled
              "rmdir d + \"\\\\new\"\n"
              "rmdir d + \"\\\\full\"\n"         // not empty: cancelled
              "backup d + \"\\\\there\"\n");     // exists: cancelled, yet backups are on
  const std::string s = start();
  EXPECT_EQ(records(), "[MKDIR " + s + "\\new]\n[#\n[RMDIR " + s + "\\new]\n[#\n[#\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "new"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "full" / "inside"));
  EXPECT_EQ(setup::systemVariables()[setup::kBackupOn].number, 1);
  EXPECT_EQ(std::string(setup::systemVariables()[setup::kBackupDir].string), s + "\\there");
  EXPECT_EQ(steps, (std::vector<std::string>{"Creating Directory|" + s + "\\new", "Creating Directory|" + s + "\\there",
                                             "Removing Directory|" + s + "\\new", "Removing Directory|" + s + "\\full",
                                             "Backup Directory |" + s + "\\there"}));
}

TEST_F(CommandsTest, BackupOfAnEmptyPathSwitchesBackupsOff) {
  std::filesystem::create_directories(dir_ / "bak");
  run(kDecl + "backup StartDir + \"\\\\bak\"\nbackup \"\"\n");
  EXPECT_EQ(records(), "[#\n[#\n");
  EXPECT_EQ(setup::systemVariables()[setup::kBackupOn].number, 0);
}

TEST_F(CommandsTest, CopiesFromThePackAndFromPaths) {
  std::ofstream(dir_ / "old.txt") << "present";
  std::ofstream(dir_ / "src.txt") << "source";
  run(kDecl + "d = StartDir + \"\\\\\"\n"
              "copy @readme.txt, d + \"r1.txt\"\n"           // logged
              "copy nolog @readme.txt, d + \"r2.txt\"\n"     // not logged
              "copy kind 7 @readme.txt, d + \"r3.txt\"\n"    // as kind 0
              "copy @readme.txt, d + \"old.txt\"\n"          // a pack copy overwrites
              "copy d + \"src.txt\", d + \"new.txt\"\n"      // a path copy
              "copy d + \"src.txt\", d + \"old.txt\"\n"      // never over an existing file
              "copy nolog d + \"missing.txt\", d + \"x.txt\"\n",  // failing, not logged
      {entry("readme.txt", "read me")});
  const std::string s = start() + "\\";
  EXPECT_EQ(records(), "[COPY " + s + "r1.txt]\n[COPY " + s + "r3.txt]\n[COPY " + s + "old.txt]\n[COPY " + s +
                           "new.txt]\n[#\n");
  for (const char* name : {"r1.txt", "r2.txt", "r3.txt", "old.txt"}) EXPECT_EQ(readFile(dir_ / name), "read me") << name;
  EXPECT_EQ(readFile(dir_ / "new.txt"), "source");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "x.txt"));
  EXPECT_EQ(steps[0], "Copy file |readme.txt");
  EXPECT_EQ(steps[4], "Copy file |" + s + "new.txt");
}

TEST_F(CommandsTest, AFailedPackCopyFailsEveryLaterOne) {
  run(kDecl + "d = StartDir + \"\\\\\"\n"
              "copy @readme.txt, d + \"a.txt\"\n"
              "copy @absent, d + \"b.txt\"\n"
              "copy @readme.txt, d + \"c.txt\"\n",
      {entry("readme.txt", "read me")});
  EXPECT_EQ(records(), "[COPY " + start() + "\\a.txt]\n[#\n[#\n");
}

TEST_F(CommandsTest, OperandsTooLongForTheirBufferAreNeverCut) {
  // 255 bytes fit with the NUL; 256 do not.
  const std::string longName(300, 'n');
  run(kDecl + "d = StartDir + \"\\\\\"\n"
              "copy @readme.txt, d + \"" + longName + "\"\n"
              "copy nolog @readme.txt, d + \"" + longName + "\"\n"
              "shortcut \"C:\\\\x.exe\", \"\", d + \"" + longName + ".lnk\", \"x\"\n"
              "uninstallreg \"" + longName + "\", d\n"
              "setreg HKCU \"Software\\\\" + longName + "\", \"v\", 1\n"
              "setreg HKCU \"Software\\\\VelmoraTest\", \"" + longName + "\", 1\n",
      {entry("readme.txt", "read me")});
  EXPECT_EQ(records(), "[#\n[#\n[#\n[#\n[#\n");
  std::vector<platform::DirectoryEntry> entries;
  platform::listDirectory(start(), &entries);
  for (const auto& e : entries) EXPECT_TRUE(e.name == "inst.i00" || e.name == "inst.log" || e.name == "root") << e.name;
  platform::RegKey k;
  EXPECT_NE(platform::regOpenKey(root(RegRoot::CurrentUser), "Software\\VelmoraTest", platform::RegAccess::Read, &k), 0)
      << "a key made for a value whose name did not fit stays";
  EXPECT_EQ(setup::systemVariables()[setup::kMoveLog].number, 0);
}

TEST_F(CommandsTest, RegistryValues) {
  run("string k, n\nnumber c\n"
      "setreg HKCU \"Software\\\\VelmoraTest\", \"count\", 3\n"
      "setreg HKLM \"Software\\\\VelmoraTest\", \"text\", \"abc\"\n"
      "setreg HKCU \"Software\\\\VelmoraTest\", \"empty\", \"\"\n"
      // The value name and value are computed only once the key exists: a
      // key that cannot be made leaves n and c untouched.
      "setreg HKCU k = \"\\\\bad\\\\\\\\key\", n = \"name\", c = 5\n");
  EXPECT_EQ(records(), "[SETREG HKEY_CURRENT_USER;Software\\VelmoraTest;count]\n"
                       "[SETREG HKEY_LOCAL_MACHINE;Software\\VelmoraTest;text]\n"
                       "[SETREG HKEY_CURRENT_USER;Software\\VelmoraTest;empty]\n[#\n");
  EXPECT_EQ(dword(RegRoot::CurrentUser, "Software\\VelmoraTest", "count"), 3);
  EXPECT_EQ(value(RegRoot::LocalMachine, "Software\\VelmoraTest", "text"),
            std::make_pair(platform::kRegSz, std::string("abc\0", 4)));
  EXPECT_EQ(value(RegRoot::CurrentUser, "Software\\VelmoraTest", "empty"),
            std::make_pair(platform::kRegSz, std::string("\0", 1)));
  EXPECT_STREQ(setup::scriptVariables()[0].string, "\\bad\\\\key");
  EXPECT_EQ(setup::scriptVariables()[1].string, nullptr);
  EXPECT_EQ(setup::scriptVariables()[2].number, 0);
  EXPECT_TRUE(steps.empty());
  platform::regDeleteTree(root(RegRoot::CurrentUser), "Software\\VelmoraTest");
  platform::regDeleteTree(root(RegRoot::LocalMachine), "Software\\VelmoraTest");
}

TEST_F(CommandsTest, ADryRunChangesNothingAndLogsNothing) {
  run("string k\n"
      "mkdir StartDir + \"\\\\dry\"\n"
      "copy @readme.txt, StartDir + \"\\\\dry.txt\"\n"
      "scopy @lib, \"vt-dry.dll\"\n"
      "setreg HKCU k = \"Software\\\\VelmoraDry\", \"v\", 1\n"
      "shortcut \"C:\\\\x.exe\", \"\", StartDir + \"\\\\dry.lnk\", \"d\"\n"
      "uninstallreg \"VelmoraDry\", StartDir\n"
      "logtext \"still logged\"\n",
      {entry("readme.txt", "r"), entry("lib", testpe::image({1, 0, 0, 0}))}, 1);
  EXPECT_EQ(records(), "[still logged]\n");
  EXPECT_EQ(setup::scriptVariables()[0].string, nullptr);  // SETREG's operands are not computed
  EXPECT_TRUE(steps.empty());
  std::vector<platform::DirectoryEntry> entries;
  platform::listDirectory(start(), &entries);
  EXPECT_EQ(entries.size(), std::size_t{2} + (std::filesystem::exists(dir_ / "root") ? 1 : 0));
  EXPECT_FALSE(platform::fileExists(platform::systemDirectory() + "\\vt-dry.dll"));
  platform::RegKey k;
  EXPECT_NE(platform::regOpenKey(root(RegRoot::LocalMachine), std::string(setup::kUninstallKeyPrefix) + "VelmoraDry",
                                 platform::RegAccess::Read, &k), 0);
  EXPECT_EQ(setup::systemVariables()[setup::kMoveLog].number, 0);
}

TEST_F(CommandsTest, ShortcutsAreMadeAndAFailedSaveIsCancelled) {
  run(kDecl + "d = StartDir + \"\\\\\"\n"
              "shortcut \"C:\\\\Program Files\\\\Velmora\\\\velmrun.exe\", \"-now\", d + \"a.lnk\", \"New wallpaper\"\n"
              "shortcut \"C:\\\\x.exe\", \"\", d + \"b.lnk\", \"\"\n"
              "shortcut \"C:\\\\x.exe\", \"\", d + \"missing\\\\c.lnk\", \"c\"\n");
  const std::string s = start() + "\\";
  EXPECT_EQ(records(), "[SHORTCUT " + s + "a.lnk]\n[SHORTCUT " + s + "b.lnk]\n[#\n");
  EXPECT_EQ(steps, (std::vector<std::string>{"Create shortcut |New wallpaper", "Create shortcut |"}));
  platform::ShellLinkFields fields;
  ASSERT_TRUE(platform::readShellLink(s + "a.lnk", &fields).ok());
  EXPECT_EQ(fields.target, "C:\\Program Files\\Velmora\\velmrun.exe");
  EXPECT_EQ(fields.arguments, "-now");
  EXPECT_EQ(fields.description, "New wallpaper");
  ASSERT_TRUE(platform::readShellLink(s + "b.lnk", &fields).ok());
  EXPECT_EQ(fields.description, "");
  EXPECT_FALSE(platform::fileExists(s + "missing\\c.lnk"));
}

TEST_F(CommandsTest, UninstallEntryUninstallerAndTheLogsFinalPlace) {
  std::filesystem::create_directories(dir_ / "app");
  const std::string app = "VelmoraTest" + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
  const std::string uninstaller = platform::windowsDirectory() + "\\uninstall.exe";
  const std::int64_t before = sharedCount(uninstaller);
  run(kDecl + "d = StartDir + \"\\\\app\"\nuninstallreg " + quoted(app) + ", d\nlogtext \"after\"\n",
      {entry("uninstall", "the uninstaller")});
  const std::string key = std::string(setup::kUninstallKeyPrefix) + app;
  const std::string target = start() + "\\app\\inst.log";
  // The log moved to the installation directory at the end.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "inst.log"));
  EXPECT_EQ(readFile(dir_ / "app" / "inst.log"),
            std::string(kLogHeader) + "[UNINSTALLREG " + key + "]\n[UNINSTALLAPPNAME " + app + "]\n[after]\n");
  EXPECT_EQ(value(RegRoot::LocalMachine, key, "DisplayName"), std::make_pair(platform::kRegSz, app + '\0'));
  EXPECT_EQ(value(RegRoot::LocalMachine, key, "UninstallString"),
            std::make_pair(platform::kRegSz, uninstaller + " " + target + '\0'));
  EXPECT_EQ(contents(uninstaller), "the uninstaller");
  EXPECT_EQ(sharedCount(uninstaller), before < 0 ? 1 : before + 1);
  EXPECT_EQ(std::string(setup::systemVariables()[setup::kLogTarget].string), target);
  platform::regDeleteTree(root(RegRoot::LocalMachine), key);
}

// A second installation into the same folder: the log there gets this
// run's log after it, so the uninstaller undoes both.
TEST_F(CommandsTest, ASecondInstallationAppendsItsLogToTheOneThere) {
  std::filesystem::create_directories(dir_ / "app");
  std::ofstream(dir_ / "app" / "inst.log", std::ios::binary) << kLogHeader << "[MKDIR C:\\first]\n";
  run(kDecl + "uninstallreg \"VelmoraAgain\", StartDir + \"\\\\app\"\n", {entry("uninstall", "u")});
  const std::string key = std::string(setup::kUninstallKeyPrefix) + "VelmoraAgain";
  EXPECT_EQ(readFile(dir_ / "app" / "inst.log"), std::string(kLogHeader) + "[MKDIR C:\\first]\n" + kLogHeader +
                                                      "[UNINSTALLREG " + key + "]\n[UNINSTALLAPPNAME VelmoraAgain]\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "inst.log"));
  platform::regDeleteTree(root(RegRoot::LocalMachine), key);
}

// Installed into the start directory itself: the log is where it belongs
// and stays whole.
TEST_F(CommandsTest, InstallingIntoTheStartDirectoryKeepsTheLog) {
  run(kDecl + "uninstallreg \"VelmoraHere\", StartDir\n", {entry("uninstall", "u")});
  const std::string key = std::string(setup::kUninstallKeyPrefix) + "VelmoraHere";
  EXPECT_EQ(records(), "[UNINSTALLREG " + key + "]\n[UNINSTALLAPPNAME VelmoraHere]\n");
  platform::regDeleteTree(root(RegRoot::LocalMachine), key);
}

TEST_F(CommandsTest, ALogTextStaysOnItsLine) {
  run(kDecl + "logtext \"one\\ntwo\\rthree\"\n");
  EXPECT_EQ(records(), "[one two three]\n");
  EXPECT_EQ(setup::logWriteError(), 0);
}

TEST_F(CommandsTest, RunStartsTheProgramWithoutWaiting) {
  const std::string here = platform::currentDirectory();  // the start directory to be
#ifdef _WIN32
  const std::string command = "cmd.exe /c echo started> \"" + here + "\\ran.txt\"";
#else
  const std::string program = here + "\\prog.sh";
  std::ofstream(dir_ / "prog.sh") << "#!/bin/sh\necho started \"$1\" > \"$2\"\n";
  ::chmod((dir_ / "prog.sh").c_str(), 0755);
  const std::string command = "\"" + program + "\" one " + (dir_ / "ran.txt").string();
#endif
  run(kDecl + "run " + quoted(command) + "\nrun \"C:\\\\no-such-program.exe\"\n");
  EXPECT_EQ(records(), "");
  EXPECT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0], "Running |" + command);
  std::string ran;
  for (int i = 0; i < 100 && ran.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ran = readFile(dir_ / "ran.txt");
  }
#ifdef _WIN32
  EXPECT_EQ(ran.substr(0, 7), "started");
#else
  EXPECT_EQ(ran, "started one\n");
#endif
}

}  // namespace

namespace {

// A write that fails keeps its bytes: they go first with the next write,
// and the failure is reported.
TEST_F(CommandsTest, AFailedLogWriteLosesNothing) {
  run("logtext \"first\"\n");
  std::filesystem::remove(dir_ / "inst.log");
  std::filesystem::create_directory(dir_ / "inst.log");  // the log cannot be opened now
  setup::writeRecord("lost?");
  EXPECT_NE(setup::logWriteError(), 0);
  std::filesystem::remove(dir_ / "inst.log");
  setup::writeRecord("after");
  EXPECT_EQ(readFile(dir_ / "inst.log"), "[lost?]\n[after]\n");
}

// A split entry whose last part is shorter than 4 bytes: the copy ends with
// the entry's last byte.
TEST_F(CommandsTest, AShortLastPartOfASplitEntryEndsTheFile) {
  for (std::size_t tail : {1u, 2u, 3u, 4u}) {
    std::string data(100 + tail, 'x');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
    kestrin::Bytes script;
    std::string error;
    ASSERT_TRUE(kestrin::compileScript("copy @big, StartDir + \"\\\\big.bin\"\n", "t.kes", &script, &error)) << error;
    // Volume 0 holds the script and the first 100 bytes of "big".
    const std::uint64_t volume = 7 + 2 * 41 + script.size() + 100;
    ASSERT_TRUE(kestrin::writePack("inst", {{"script", "", script, 0}, entry("big", data)}, volume, nullptr, &error))
        << error;
    ASSERT_TRUE(std::filesystem::exists(dir_ / "inst.i01"));
    ASSERT_EQ(setup::startEngine(), setup::kStatusRunning);
    ASSERT_EQ(setup::createLog(setup::engineState().baseName), 1);
    runToEnd();
    EXPECT_EQ(readFile(dir_ / "big.bin"), data) << tail;
    setup::engineState().pack->close();  // volume 1 is the open one now
    std::error_code ec;
    std::filesystem::remove(dir_ / "big.bin", ec);
    std::filesystem::remove(dir_ / "inst.i01", ec);
  }
}

}  // namespace
