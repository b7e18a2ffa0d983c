// The expression engine: tokens, every operator's rules, assignment, and
// the system variables.
#include <climits>

#include "EngineFixture.h"

namespace {

using namespace setup;
using kestrin::Bytes;

// Postfix tokens written the short way: numbers, "text" strings, vN
// variable references, and operator codes as ops.
struct Tok {
  enum Kind { Num, Str, Var, Op } kind;
  std::int32_t n = 0;
  std::string s;
};
Tok N(std::int32_t n) { return {Tok::Num, n, {}}; }
Tok S(std::string s) { return {Tok::Str, 0, std::move(s)}; }
Tok V(std::int32_t i) { return {Tok::Var, i, {}}; }
Tok O(std::int32_t op) { return {Tok::Op, op, {}}; }

Bytes expr(std::initializer_list<Tok> toks) {
  Bytes t;
  for (const Tok& k : toks) {
    if (k.kind == Tok::Num) kestrin::tokenNumber(t, k.n);
    if (k.kind == Tok::Str) kestrin::tokenString(t, k.s);
    if (k.kind == Tok::Var) kestrin::tokenVariable(t, static_cast<std::uint16_t>(k.n));
    if (k.kind == Tok::Op) kestrin::tokenOperator(t, static_cast<std::uint8_t>(k.n));
  }
  return kestrin::expression(t);
}

class Expressions : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // v0 number, v1 string "a", v2 string never assigned, v3 number 9.
    const std::uint8_t types[] = {0, 0, 1, 0, 1, 0, 0, 0};
    buildVariables(types, 4);
    scriptVariables()[1].string = keepString("a");
    scriptVariables()[3].number = 9;
  }
  const Value& eval(const Bytes& e) {
    EXPECT_EQ(evalExpression(e), 1);
    return valueStack().top();
  }
};

TEST_F(Expressions, TheWorkedAssignment) {
  const Bytes e = {0x0D, 0x00, 0xFD, 0x00, 0x03, 0x00, 0xFE, 0x00, 0x05, 0x00, 0x00, 0x00, 0xFC, 0x00, 0x00};
  EXPECT_EQ(expr({V(3), N(5), O(kOpAssign)}), e);
  scriptVariables()[3].string = keepString("kept");
  const Value& r = eval(e);
  EXPECT_EQ(scriptVariables()[3].number, 5);
  EXPECT_STREQ(scriptVariables()[3].string, "kept");
  EXPECT_EQ(r.number, 5);
  EXPECT_EQ(r.type, 0);
  EXPECT_EQ(r.variableIndex, -1);
}

TEST_F(Expressions, AssignmentStoresReferencesAndKeepsTheType) {
  eval(expr({V(0), S("text"), O(kOpAssign)}));
  EXPECT_STREQ(scriptVariables()[0].string, "text");
  EXPECT_EQ(scriptVariables()[0].number, 0);
  EXPECT_EQ(scriptVariables()[0].type, 0);
  const Value& r = eval(expr({V(2), V(1), O(kOpAssign)}));
  EXPECT_EQ(scriptVariables()[2].string, scriptVariables()[1].string);  // the same string, not a copy
  EXPECT_EQ(r.type, 1);
  EXPECT_EQ(r.variableIndex, 1);
  // a = b = 5
  eval(expr({V(0), V(3), N(5), O(kOpAssign), O(kOpAssign)}));
  EXPECT_EQ(scriptVariables()[0].number, 5);
  EXPECT_EQ(scriptVariables()[3].number, 5);
}

TEST_F(Expressions, OperatorTable) {
  struct Case {
    const char* what;
    Bytes e;
    std::int32_t number;
    std::int32_t type;
    const char* string;  // nullptr: no string expected
  };
  const Case cases[] = {
      {"a + 12", expr({V(1), N(12), O(kOpAdd)}), 0, 1, "a12"},
      {"7 + b", expr({N(7), S("b"), O(kOpAdd)}), 7, 1, "7b"},
      {"0 + b", expr({N(0), S("b"), O(kOpAdd)}), 0, 1, "0b"},
      {"-4 + b", expr({N(-4), S("b"), O(kOpAdd)}), -4, 1, "-4b"},
      {"2 + 3", expr({N(2), N(3), O(kOpAdd)}), 5, 0, nullptr},
      {"unassigned + 4", expr({V(2), N(4), O(kOpAdd)}), 4, 0, nullptr},
      {"max + 1 wraps", expr({N(INT_MAX), N(1), O(kOpAdd)}), INT_MIN, 0, nullptr},
      {"3 - 5", expr({N(3), N(5), O(kOpSubtract)}), -2, 0, nullptr},
      {"min - 1 wraps", expr({N(INT_MIN), N(1), O(kOpSubtract)}), INT_MAX, 0, nullptr},
      {"65536 * 65537 low bits", expr({N(65536), N(65537), O(kOpMultiply)}), 65536, 0, nullptr},
      {"7 / -2", expr({N(7), N(-2), O(kOpDivide)}), -3, 0, nullptr},
      {"-7 / 2", expr({N(-7), N(2), O(kOpDivide)}), -3, 0, nullptr},
      {"7 / 0", expr({N(7), N(0), O(kOpDivide)}), 0, 0, nullptr},
      {"min / -1", expr({N(INT_MIN), N(-1), O(kOpDivide)}), INT_MIN, 0, nullptr},
      {"\"x\" == \"x\"", expr({S("x"), S("x"), O(kOpEqual)}), 1, 1, "x"},
      {"\"x\" == \"xy\"", expr({S("x"), S("xy"), O(kOpEqual)}), 0, 1, "x"},
      {"\"X\" != \"x\"", expr({S("X"), S("x"), O(kOpNotEqual)}), 1, 1, "X"},
      {"v3 == 9 (number of a var)", expr({V(3), N(9), O(kOpEqual)}), 1, 0, nullptr},
      {"string var == 0 compares numbers", expr({V(1), N(0), O(kOpEqual)}), 1, 0, "a"},
      {"unassigned == \"\" compares numbers", expr({V(2), S(""), O(kOpEqual)}), 1, 0, nullptr},
      {"2 < 3", expr({N(2), N(3), O(kOpLess)}), 1, 0, nullptr},
      {"-1 < 0 signed", expr({N(-1), N(0), O(kOpLess)}), 1, 0, nullptr},
      {"3 > 3", expr({N(3), N(3), O(kOpGreater)}), 0, 0, nullptr},
      {"3 <= 3", expr({N(3), N(3), O(kOpLessEqual)}), 1, 0, nullptr},
      {"2 >= 3", expr({N(2), N(3), O(kOpGreaterEqual)}), 0, 0, nullptr},
      {"0 || 5", expr({N(0), N(5), O(kOpOr)}), 1, 0, nullptr},
      {"0 || 0", expr({N(0), N(0), O(kOpOr)}), 0, 0, nullptr},
      {"2 && 0", expr({N(2), N(0), O(kOpAnd)}), 0, 0, nullptr},
      {"2 && -1", expr({N(2), N(-1), O(kOpAnd)}), 1, 0, nullptr},
      {"!0", expr({N(0), O(kOpNot)}), 1, 0, nullptr},
      {"!7", expr({N(7), O(kOpNot)}), 0, 0, nullptr},
      {"-(5)", expr({N(5), O(kOpNegate)}), -5, 0, nullptr},
      {"-(min)", expr({N(INT_MIN), O(kOpNegate)}), INT_MIN, 0, nullptr},
      {"codes 1, 3, 27, 29, 255 skipped", expr({N(4), N(6), O(1), O(3), O(27), O(29), O(255)}), 6, 0, nullptr},
  };
  for (const Case& c : cases) {
    const Value& r = eval(c.e);
    EXPECT_EQ(r.number, c.number) << c.what;
    EXPECT_EQ(r.type, c.type) << c.what;
    if (c.string) {
      ASSERT_NE(r.string, nullptr) << c.what;
      EXPECT_STREQ(r.string, c.string) << c.what;
    } else {
      EXPECT_EQ(r.string, nullptr) << c.what;
    }
  }
}

TEST_F(Expressions, SystemVariablesByIndexIgnoringTheLowByte) {
  fillSystemVariables(1234);
  const Value& r = eval(expr({V(0x0305)}));
  ASSERT_NE(r.string, nullptr);
  const std::string system = r.string;
  EXPECT_EQ(r.variableIndex, 0x0305);
  EXPECT_EQ(std::string(eval(expr({V(0x0300)})).string), system);
  EXPECT_EQ(system, std::string(systemVariables()[kWindowsDir].string) + "\\system32");
  EXPECT_EQ(eval(expr({V(0x0500)})).number, 1234);                  // ProgramInstance
  EXPECT_STREQ(eval(expr({V(0x0B00)})).string, systemVariables()[kWindowsDir].string);  // LogTarget
  EXPECT_EQ(eval(expr({V(0x0C00)})).number, 0);                     // MoveLog
  EXPECT_STREQ(systemVariables()[kStartDir].string, systemVariables()[kSourceDir].string);
  EXPECT_NE(systemVariables()[kStartDir].string, systemVariables()[kSourceDir].string);  // own buffers
  EXPECT_STREQ(systemVariables()[kDriveType].string, "fixed");
  createLog("inst");
  EXPECT_STREQ(eval(expr({V(0x0400)})).string, "inst.log");          // LogName follows the log
}

TEST_F(Expressions, StartDirIsTheCurrentDirectoryAsAWindowsPath) {
  const std::string start = systemVariables()[kStartDir].string ? systemVariables()[kStartDir].string : "";
  fillSystemVariables(0);
  const std::string dir = systemVariables()[kStartDir].string;
  ASSERT_GE(dir.size(), 3u);
  EXPECT_EQ(dir[1], ':');
  EXPECT_EQ(dir.find('/'), std::string::npos);
  EXPECT_EQ(dir.substr(dir.rfind('\\') + 1), dir_.filename().string());
#ifndef _WIN32
  EXPECT_EQ(dir.substr(0, 3), "Z:\\");
  // Inside a drive folder under the root the path is on that drive.
  std::filesystem::create_directories(dir_ / "root" / "drive_c" / "Setup");
  std::filesystem::current_path(dir_ / "root" / "drive_c" / "Setup");
  fillSystemVariables(0);
  EXPECT_STREQ(systemVariables()[kStartDir].string, "C:\\Setup");
  refreshDriveInfo("D:\\x");
  EXPECT_EQ(systemVariables()[kFreeSpace].number, 0);  // no drive D: folder
  refreshDriveInfo("C:\\Program Files\\x");
  EXPECT_NE(systemVariables()[kFreeSpace].number, 0);
  EXPECT_STREQ(systemVariables()[kDriveType].string, "fixed");
#endif
}

}  // namespace
