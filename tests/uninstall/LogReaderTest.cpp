// Reading the log: keywords, kinds, fields, operands and where records end.
#include <cstring>

#include "UninstallFixture.h"
#include "uninstall/LogReader.h"

namespace {

using namespace uninstall;

TEST(MatchKeyword, TriesTheTableInOrderAndRefusesAnUpperCaseLetterAfterTheKeyword) {
  const struct {
    const char* text;
    int kind;
  } cases[] = {
      {"COPY C:\\a", setup::kRecCopy},
      {"   COPY C:\\a", setup::kRecCopy},  // leading blanks passed over
      {"COPYX C:\\a", -1},
      {"COPYx C:\\a", setup::kRecCopy},  // only A to Z refuse
      {"COPY", setup::kRecCopy},
      {"SCOPY C:\\a", setup::kRecSharedCopy},
      {"MKDIR C:\\a", setup::kRecMkdir},
      {"RMDIR C:\\a", setup::kRecRmdir},
      {"BACKUP C:\\b", setup::kRecBackup},
      {"SHORTCUT C:\\a.lnk", setup::kRecShortcut},
      {"UNINSTALLREG SOFTWARE\\x", setup::kRecUninstallReg},
      {"UNINSTALLAPPNAME Ostrel", setup::kRecUninstallAppName},
      {"SETREG HKEY_USERS;k;v", setup::kRecSetReg},
      {"DELREG HKEY_USERS;k", setup::kRecDelReg},
      {"copy C:\\a", -1},
      {"COP", -1},
      {"", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(matchKeyword(c.text, setup::kRecordKeywords, 10), c.kind) << c.text;
  // The root table, as SETREG and DELREG records name roots.
  EXPECT_EQ(matchKeyword("HKEY_CLASSES_ROOT", setup::kRootNames, 4), 0);
  EXPECT_EQ(matchKeyword("HKEY_USERS", setup::kRootNames, 4), 3);
  EXPECT_EQ(matchKeyword("HKEY_LOCAL_MACHINE", setup::kRootNames, 4), 2);
  EXPECT_EQ(matchKeyword("HKEY_CURRENT_CONFIG", setup::kRootNames, 4), -1);
}

TEST(RecordKind, NotesErrorsAndEmptyRecordsHaveNoKind) {
  EXPECT_EQ(recordKind(""), -1);
  EXPECT_EQ(recordKind("!%%% EXTERN:HALT REQUEST %%%%"), -1);
  EXPECT_EQ(recordKind("!COPY C:\\a"), -1);
  EXPECT_EQ(recordKind("*ERROR #1@0,Can't open install pack.*"), -1);
  EXPECT_EQ(recordKind("*COPY C:\\a"), -1);
  EXPECT_EQ(recordKind(" COPY C:\\a"), setup::kRecCopy);
}

TEST(ReadField, StepsOverBlanksFieldAndSeparator) {
  const struct {
    const char* text;
    int whole;
    const char* field;
    int step;
  } cases[] = {
      {"COPY C:\\a", 0, "COPY", 5},
      {"  COPY C:\\a", 0, "COPY", 7},
      {"C:\\Program Files\\a", 1, "C:\\Program Files\\a", 19},
      {"C:\\Program Files\\a", 0, "C:\\Program", 11},
      {"HKEY_USERS;key", 1, "HKEY_USERS", 11},
      {";rest", 1, "", 1},  // an empty field before a separator
      {" ", 1, "", -1},
      {"", 0, "", -1},
      {"a\tb", 1, "a", 2},  // a control byte ends the field
      // ANSI text: bytes of 0x80 and above stay in the field.
      {"C:\\Programas\\Configura\xE7\xF5\x65s\\a.txt", 1, "C:\\Programas\\Configura\xE7\xF5\x65s\\a.txt", 33},
      {"\xC9tudes x", 0, "\xC9tudes", 7},
  };
  for (const auto& c : cases) {
    char out[kRecordBytes];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(readField(c.text, out, c.whole), c.step) << c.text;
    EXPECT_STREQ(out, c.field) << c.text;
  }
}

TEST(ReadOperands, TakesOnlyWholeFields) {
  char f[3][kRecordBytes];
  ASSERT_TRUE(readOperands("SETREG HKEY_CURRENT_USER;Software\\Ostrel;Last Run", 3, f));
  EXPECT_STREQ(f[0], "HKEY_CURRENT_USER");
  EXPECT_STREQ(f[1], "Software\\Ostrel");
  EXPECT_STREQ(f[2], "Last Run");
  ASSERT_TRUE(readOperands("SETREG HKEY_CURRENT_USER;Software\\Ostrel;", 3, f));
  EXPECT_STREQ(f[2], "");  // the key's default value
  ASSERT_TRUE(readOperands("COPY C:\\Program Files\\Ostrel\\a b.txt", 1, f));
  EXPECT_STREQ(f[0], "C:\\Program Files\\Ostrel\\a b.txt");

  const struct {
    const char* record;
    int count;
  } refused[] = {
      {"COPY C:\\x\\a;b.txt", 1},                   // the path goes on after a ';'
      {"COPY C:\\x\\a\tb", 1},                      // a control byte inside the path
      {"COPY", 1},                                  // no operand at all
      {"SETREG HKEY_CURRENT_USER;Software\\X", 3},  // no value name
      {"SETREG HKEY_CURRENT_USER;K;a;b", 3},        // a value name holding ';'
      {"DELREG HKEY_CURRENT_USER", 2},
  };
  for (const auto& r : refused) EXPECT_FALSE(readOperands(r.record, r.count, f)) << r.record;
}

// readRecord on logs of known bytes: the records it gives, in order.
class ReadRecord : public UninstallTest {
 protected:
  std::vector<std::string> recordsOf(const std::string& records) {
    writeLog(records);
    EXPECT_EQ(loadLog(logPath_), 0);
    std::vector<std::string> out;
    char buffer[kRecordBytes];
    for (int guard = 0; guard < 100 && readRecord(buffer); ++guard) out.push_back(buffer);
    return out;
  }
};

TEST_F(ReadRecord, RecordsEndAtABracketOrHashBeforeTheLineFeed) {
  using V = std::vector<std::string>;
  const std::string longPath(300, 'p');
  const struct {
    std::string log;
    V records;
  } cases[] = {
      // Completed records, then one empty record at the end.
      {"[MKDIR C:\\a]\n[COPY C:\\a\\b]\n", {"MKDIR C:\\a", "COPY C:\\a\\b", ""}},
      {"", {""}},
      // A cancelled record is empty.
      {"[#\n[MKDIR C:\\b]\n", {"", "MKDIR C:\\b", ""}},
      // "#" and "]" inside a path belong to it.
      {"[COPY C:\\x\\a#b.txt]\n", {"COPY C:\\x\\a#b.txt", ""}},
      {"[COPY C:\\x\\[1]\\a]\n", {"COPY C:\\x\\[1]\\a", ""}},
      // A step that failed while being logged: text cut by "#".
      {"[COPY C:\\x\\a#\n[MKDIR C:\\c]\n", {"", "MKDIR C:\\c", ""}},
      // Error records and stray "#" lines stand outside brackets.
      {"*ERROR #1@0,Can't open install pack.*[MKDIR C:\\d]\n#\n", {"MKDIR C:\\d", ""}},
      // The last record's "]" at the very end, and lines ended CR LF.
      {"[MKDIR C:\\e]\r\n[MKDIR C:\\f]", {"MKDIR C:\\e", "MKDIR C:\\f", ""}},
      // The log ends inside a record: never acted on.
      {"[MKDIR C:\\g]\n[COPY C:\\x\\abc", {"MKDIR C:\\g", ""}},
      // Longer than the buffer: passed over whole, the next one read.
      {"[COPY C:\\" + longPath + "]\n[MKDIR C:\\h]\n", {"", "MKDIR C:\\h", ""}},
      // Exactly 259 characters fit.
      {"[" + std::string(259, 'q') + "]\n", {std::string(259, 'q'), ""}},
      {"[" + std::string(260, 'q') + "]\n", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(recordsOf(c.log), c.records) << c.log;
}

TEST_F(ReadRecord, AfterTheEndEveryCallGivesZero) {
  recordsOf("[MKDIR C:\\a]\n");
  char buffer[kRecordBytes] = "x";
  EXPECT_EQ(readRecord(buffer), 0);
  EXPECT_EQ(readRecord(buffer), 0);
}

TEST(LogPathFromCommandLine, QuotesAroundTheWholeLineAreNotPartOfThePath) {
  const struct {
    const char* line;
    const char* path;
  } cases[] = {
      {"C:\\Program Files\\Ostrel\\inst.log", "C:\\Program Files\\Ostrel\\inst.log"},
      {"\"C:\\Program Files\\Ostrel\\inst.log\"", "C:\\Program Files\\Ostrel\\inst.log"},
      {"\"C:\\Ostrel\\inst.log\"  ", "C:\\Ostrel\\inst.log"},
      {"C:\\Ostrel\\inst.log ", "C:\\Ostrel\\inst.log "},  // blanks are not trimmed
      {"\"C:\\a\" \"C:\\b\"", "\"C:\\a\" \"C:\\b\""},        // not one quoted path
      {"\"C:\\a", "\"C:\\a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(logPathFromCommandLine(c.line), c.path) << c.line;
}

}  // namespace
