// The three passes on small logs: what each record kind undoes, in which
// order, and what is passed over.
#include "UninstallFixture.h"

namespace {

using uninstall::appName;
using uninstall::loadLog;

class Passes : public UninstallTest {};

TEST_F(Passes, FoldersAreRemovedLastMadeFirstAndOnlyWhenEmpty) {
  makeDir(at("app"));
  makeDir(at("app\\data"));
  makeDir(at("app\\keep"));
  makeFile(at("app\\keep\\made-later.txt"));  // written by the program since
  writeLog("[MKDIR " + at("app") + "]\n[MKDIR " + at("app\\data") + "]\n[MKDIR " + at("app\\keep") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("app\\data")));
  EXPECT_TRUE(exists(at("app\\keep\\made-later.txt")));
  EXPECT_TRUE(exists(at("app")));
  EXPECT_FALSE(exists(logPath_));

  // Made child first, parent second: the parent is removed last as well.
  makeDir(at("a"));
  makeDir(at("a\\b"));
  writeLog("[MKDIR " + at("a") + "]\n[MKDIR " + at("a\\b") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("a\\b")));
  EXPECT_FALSE(exists(at("a")));
}

TEST_F(Passes, TheLogInTheFolderItRecordsGoesBeforeTheFolder) {
  const std::string app = at("app");
  makeDir(app);
  makeFile(app + "\\ostrel.exe");
  logPath_ = app + "\\inst.log";
  writeLog("[MKDIR " + app + "]\n[COPY " + app + "\\ostrel.exe]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(app));
  // A second run with the same command line finds no log.
  EXPECT_EQ(loadLog(logPath_), 1);
}

TEST_F(Passes, SharedFilesGoWithTheirLastUser) {
  const struct {
    const char* name;
    std::int64_t before;  // -1: no count
    std::int64_t after;
    bool fileStays;
  } cases[] = {
      {"one.dll", 1, -1, false},
      {"three.dll", 3, 2, true},
      {"nocount.dll", -1, -1, true},
      // Already 0 (or below): not written back as -1, the file stays.
      {"zero.dll", 0, 0, true},
      {"minus.dll", 0xFFFFFFFF, 0xFFFFFFFF, true},
  };
  std::string log;
  for (const auto& c : cases) {
    makeFile(at(c.name));
    if (c.before >= 0) setCount(at(c.name), static_cast<std::uint32_t>(c.before));
    log += "[SCOPY " + at(c.name) + "]\n";
  }
  writeLog(log);
  ASSERT_TRUE(uninstallAll());
  for (const auto& c : cases) {
    EXPECT_EQ(count(at(c.name)), c.after) << c.name;
    EXPECT_EQ(exists(at(c.name)), c.fileStays) << c.name;
  }
}

TEST_F(Passes, TwoRecordsOfOneSharedFileTakeTwoUsers) {
  makeFile(at("twice.dll"));
  setCount(at("twice.dll"), 3);
  writeLog("[SCOPY " + at("twice.dll") + "]\n[SCOPY " + at("twice.dll") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_EQ(count(at("twice.dll")), 1);
  EXPECT_TRUE(exists(at("twice.dll")));
}

TEST_F(Passes, OnlyWholeRecordsWithAKnownKeywordAreActedOn) {
  const char* files[] = {"copyx.txt", "blank.txt", "cut.txt", "note.txt", "error.txt", "a#b.txt", "a",
                         "a;b.txt",   "rmdir",     "unterminated.txt"};
  for (const char* f : files) makeFile(at(f));
  makeDir(at("removed"));
  writeLog("[COPYX " + at("copyx.txt") + "]\n" +      // not a COPY record
           "[ COPY " + at("blank.txt") + "]\n" +      // a COPY record
           "[#\n" +                                    // a failed step
           "[COPY " + at("cut.txt") + "#\n" +          // failed while being logged
           "[!COPY " + at("note.txt") + "]\n" +        // a protocol note
           "[*COPY " + at("error.txt") + "]\n" +       // an error
           "*ERROR #1@0,Can't open install pack.*" +   // outside brackets
           "[COPY " + at("a#b.txt") + "]\n" +          // '#' inside the path
           "[COPY " + at("a;b.txt") + "]\n" +          // would be cut to "a"
           "[RMDIR " + at("removed") + "]\n" +         // not undone
           "[COPY " + at("unterminated.txt"));        // the log ends inside it
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("blank.txt")));
  EXPECT_FALSE(exists(at("a#b.txt")));
  for (const char* f : {"copyx.txt", "cut.txt", "note.txt", "error.txt", "a", "a;b.txt", "unterminated.txt"})
    EXPECT_TRUE(exists(at(f))) << f;
  EXPECT_TRUE(exists(at("removed")));
}

TEST_F(Passes, AnsiPathsAreNeverCutAtTheirFirstNonAsciiByte) {
  makeDir(at("Configura\xE7\xF5\x65s"));
  const std::string whole = at("Configura\xE7\xF5\x65s\\ostrel.ini");
  makeFile(whole);
  makeFile(at("Configura"));  // what the path cut before its first such byte names
  writeLog("[COPY " + whole + "]\n[MKDIR " + at("Configura\xE7\xF5\x65s") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("Configura\xE7\xF5\x65s")));
  EXPECT_TRUE(exists(at("Configura")));
}

TEST_F(Passes, ALongRecordIsPassedOverNotActedOnCut) {
  // The first 259 characters of the record name a file that exists.
  const std::string stem = "COPY " + at("");
  const std::string shortName(259 - stem.size(), 'n');
  makeFile(at(shortName));
  writeLog("[" + stem + shortName + "-longer-than-the-buffer]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_TRUE(exists(at(shortName)));
}

TEST_F(Passes, RegistryValuesKeysAndTheUninstallEntry) {
  const std::string entry = std::string(setup::kUninstallKeyPrefix) + "Ostrel " + dir_.substr(3);
  setValue(user(), "Software\\UnTest\\Values", "size", 7);
  setValue(user(), "Software\\UnTest\\Values", "kept", 8);
  setValue(user(), "Software\\UnTest\\Values", "", 9);
  setValue(user(), "Software\\UnTest\\Gone", "x", 1);
  setValue(machine(), entry, std::string(setup::kDisplayNameValue), 1);
  setValue(machine(), entry, std::string(setup::kUninstallStringValue), 1);
  setValue(user(), "Software\\UnTest\\Unknown", "x", 1);
  writeLog("[UNINSTALLREG " + entry + "]\n[UNINSTALLAPPNAME Ostrel]\n" +
           "[SETREG HKEY_CURRENT_USER;Software\\UnTest\\Values;size]\n" +
           "[SETREG HKEY_CURRENT_USER;Software\\UnTest\\Values;]\n" +
           "[DELREG HKEY_CURRENT_USER;Software\\UnTest\\Gone]\n" +             // only from LOGTEXT
           "[SETREG HKEY_CURRENT_CONFIG;Software\\UnTest\\Unknown;x]\n" +      // no such root name
           "[SETREG HKEY_CURRENT_USER;Software\\UnTest\\Missing;x]\n");        // no such key
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(keyExists(machine(), entry));
  EXPECT_EQ(value(user(), "Software\\UnTest\\Values", "size"), -1);
  EXPECT_EQ(value(user(), "Software\\UnTest\\Values", ""), -1);
  EXPECT_EQ(value(user(), "Software\\UnTest\\Values", "kept"), 8);  // removed, never restored
  EXPECT_FALSE(keyExists(user(), "Software\\UnTest\\Gone"));
  EXPECT_EQ(value(user(), "Software\\UnTest\\Unknown", "x"), 1);
  EXPECT_FALSE(keyExists(user(), "Software\\UnTest\\Missing"));
}

TEST_F(Passes, ShortcutsCopiesAndTheBackupFolder) {
  makeFile(at("Ostrel.lnk"));
  makeFile(at("ostrel.exe"));
  makeDir(at("backup"));
  makeFile(at("backup\\old.dll"));
  makeFile(at("backup\\older.dll"));
  makeDir(at("backup2"));
  makeFile(at("backup2\\x.dll"));
  makeDir(at("backup2\\sub"));
  writeLog("[SHORTCUT " + at("Ostrel.lnk") + "]\n[COPY " + at("ostrel.exe") + "]\n[BACKUP " + at("backup") +
           "]\n[BACKUP " + at("backup2") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("Ostrel.lnk")));
  EXPECT_FALSE(exists(at("ostrel.exe")));
  // The last BACKUP record wins: its files go, its sub-folder and so the
  // folder itself stay; the earlier backup folder is left alone.
  EXPECT_FALSE(exists(at("backup2\\x.dll")));
  EXPECT_TRUE(exists(at("backup2\\sub")));
  EXPECT_TRUE(exists(at("backup\\old.dll")));

  makeFile(at("backup\\a.dll"));
  writeLog("[BACKUP " + at("backup") + "]\n");
  ASSERT_TRUE(uninstallAll());
  EXPECT_FALSE(exists(at("backup")));
}

TEST_F(Passes, TheApplicationNameIsTheLastOneTheLogNames) {
  writeLog("[MKDIR C:\\nothing]\n");
  ASSERT_EQ(loadLog(logPath_), 0);
  EXPECT_STREQ(appName(), "");
  writeLog("[UNINSTALLAPPNAME First]\n[UNINSTALLAPPNAME Ostrel Pro 2]\n");
  ASSERT_EQ(loadLog(logPath_), 0);
  EXPECT_STREQ(appName(), "Ostrel Pro 2");
  writeLog("[UNINSTALLAPPNAME " + std::string(200, 'N') + "]\n");
  ASSERT_EQ(loadLog(logPath_), 0);
  EXPECT_EQ(std::string(appName()), std::string(127, 'N'));
}

TEST_F(Passes, ALogThatCannotBeOpenedIsErrorOne) {
  EXPECT_EQ(loadLog(at("missing.log")), 1);
  EXPECT_EQ(loadLog(dir_), 1);  // a folder
  EXPECT_STREQ(appName(), "");
}

}  // namespace
