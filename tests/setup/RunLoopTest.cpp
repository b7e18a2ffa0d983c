// The run loop: statements, dry runs, requests to the front end, ABORT, the
// halt and abort handshake, and the end-of-run move of the log.
#include <atomic>
#include <thread>

#include "EngineFixture.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace {

using namespace setup;
using kestrin::Bytes;

Bytes str(std::string_view s) { return kestrin::stringExpr(s); }
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
// v = n
Bytes setVar(std::uint16_t v, std::int32_t n) {
  Bytes t;
  kestrin::tokenVariable(t, v);
  kestrin::tokenNumber(t, n);
  kestrin::tokenOperator(t, kOpAssign);
  return kestrin::exprStatement(kOpEval, kestrin::expression(t));
}
Bytes logStatement(std::string_view s) { return kestrin::exprStatement(kOpLogText, str(s)); }

class RunLoopTest : public EngineTest {};

TEST_F(RunLoopTest, EmptyCodeEndsAtOnce) {
  ASSERT_EQ(startWith({}, {}), kStatusRunning);
  EXPECT_EQ(runToEnd(), std::vector<std::int32_t>{kStatusEnded});
  EXPECT_EQ(logText(), kLogHeader);
}

// The worked MKDIR statement; every command statement reaches its command,
// which leaves its record (the commands themselves: CommandsTest).
TEST_F(RunLoopTest, TheWorkedMkdirStatementAndEveryCommandReached) {
  const Bytes mkdir = {0x89, 0x07, 0x00, 0xFB, 0x04, 0x00, 0x58, 0x3A, 0x5C, 0x59};
  EXPECT_EQ(kestrin::exprStatement(kOpMkdir, str("X:\\Y")), mkdir);
  std::filesystem::create_directories(dir_ / "gone");
  ASSERT_EQ(startWith({}, {}), kStatusRunning);
  const std::string s = systemVariables()[kStartDir].string;
  const Bytes code = cat({kestrin::exprStatement(kOpMkdir, str(s + "\\made")),
                          kestrin::exprStatement(kOpRmdir, str(s + "\\gone")),
                          kestrin::exprStatement(kOpBackup, str(s + "\\bak")),
                          kestrin::bodyStatement(kOpCopy, cat({{1}, str("@readme.txt"), str(s + "\\r.txt")})),
                          kestrin::bodyStatement(kOpCopy, cat({{0}, str("@readme.txt"), str(s + "\\s.txt")})),
                          kestrin::bodyStatement(kOpShortcut, cat({str("C:\\t.exe"), str("a"), str(s + "\\l.lnk"), str("")})),
                          kestrin::bodyStatement(kOpSetReg, cat({{1}, str("Software\\VelmoraRunLoop"), str("V"), str("D")}))});
  ASSERT_EQ(startWith({}, code, {{"readme.txt", "", {'h', 'i'}, 0}}), kStatusRunning);
  runToEnd();
  EXPECT_EQ(records(), "[MKDIR " + s + "\\made]\n[RMDIR " + s + "\\gone]\n[BACKUP " + s + "\\bak]\n[COPY " + s +
                           "\\s.txt]\n[SHORTCUT " + s + "\\l.lnk]\n[SETREG HKEY_CURRENT_USER;Software\\VelmoraRunLoop;V]\n");
  EXPECT_EQ(readFile(dir_ / "r.txt"), "hi");
  platform::regDeleteTree(platform::regRoot(platform::RegRoot::CurrentUser), "Software\\VelmoraRunLoop");
}

TEST_F(RunLoopTest, IfNotJumpsOnZeroAndGoesOnOtherwise) {
  // 0: IFNOT v0 -> skip; LOGTEXT "taken"; skip: LOGTEXT "end"
  for (std::int32_t condition : {5, 0}) {
    const Bytes first = setVar(0, condition);
    const Bytes taken = logStatement("taken");
    const std::size_t ifnotSize = 3 + kestrin::variableExpr(0).size();
    const auto target = static_cast<std::uint16_t>(first.size() + ifnotSize + taken.size());
    const Bytes code = cat({first, kestrin::ifNotStatement(target, kestrin::variableExpr(0)), taken, logStatement("end")});
    ASSERT_EQ(startWith({0}, code), kStatusRunning);
    runToEnd();
    EXPECT_EQ(records(), condition ? "[taken]\n[end]\n" : "[end]\n") << condition;
  }
}

TEST_F(RunLoopTest, GotoLoopsCountAVariable) {
  // v0 = 0; loop: v0 = v0 + 1; IFNOT v0 < 10 -> end; GOTO loop; end: LOGTEXT "n=" + v0
  Bytes inc;
  kestrin::tokenVariable(inc, 0);
  kestrin::tokenVariable(inc, 0);
  kestrin::tokenNumber(inc, 1);
  kestrin::tokenOperator(inc, kOpAdd);
  kestrin::tokenOperator(inc, kOpAssign);
  Bytes cond;
  kestrin::tokenVariable(cond, 0);
  kestrin::tokenNumber(cond, 10);
  kestrin::tokenOperator(cond, kOpLess);
  Bytes text;
  kestrin::tokenString(text, "n=");
  kestrin::tokenVariable(text, 0);
  kestrin::tokenOperator(text, kOpAdd);
  const Bytes init = setVar(0, 0);
  const Bytes body = kestrin::exprStatement(kOpEval, kestrin::expression(inc));
  const auto loop = static_cast<std::uint16_t>(init.size());
  const auto end = static_cast<std::uint16_t>(loop + body.size() + 3 + kestrin::expression(cond).size() + 3);
  const Bytes code = cat({init, body, kestrin::ifNotStatement(end, kestrin::expression(cond)), kestrin::gotoStatement(loop),
                          kestrin::exprStatement(kOpLogText, kestrin::expression(text))});
  ASSERT_EQ(startWith({0}, code), kStatusRunning);
  runToEnd();
  EXPECT_EQ(records(), "[n=10]\n");
}

TEST_F(RunLoopTest, DryRunSkipsChangesButComputesOperandsAndKeepsTheRest) {
  // MKDIR's operand assigns, so its computation shows; SETREG's is never computed.
  Bytes assignDir;
  kestrin::tokenVariable(assignDir, 0);
  kestrin::tokenString(assignDir, "D");
  kestrin::tokenOperator(assignDir, kOpAssign);
  Bytes assignReg;
  kestrin::tokenVariable(assignReg, 1);
  kestrin::tokenString(assignReg, "K");
  kestrin::tokenOperator(assignReg, kOpAssign);
  const Bytes code = cat({kestrin::exprStatement(kOpMkdir, kestrin::expression(assignDir)),
                          kestrin::bodyStatement(kOpSetReg, cat({{1}, kestrin::expression(assignReg), str("V"), str("x")})),
                          kestrin::bodyStatement(kOpCopy, cat({{0}, str("@e"), str("C:\\e")})),
                          kestrin::loadEntryStatement(2, str("@readme")), logStatement("still logged"),
                          kestrin::bodyStatement(kOpDialog, {1})});
  ASSERT_EQ(startWith({1, 1, 1}, code, {{"readme", "", {'h', 'i'}, 0}}), kStatusRunning);
  int dialogs = 0;
  engineState().frontEnd.dialogRequest = [&](std::uint8_t, std::span<const std::uint8_t>) { ++dialogs; };
  engineState().dryRun = 1;
  runToEnd();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "D"));
  EXPECT_FALSE(platform::fileExists("C:\\e"));
  EXPECT_STREQ(scriptVariables()[0].string, "D");
  EXPECT_EQ(scriptVariables()[1].string, nullptr);
  EXPECT_STREQ(scriptVariables()[2].string, "hi");
  EXPECT_EQ(scriptVariables()[2].number, 2);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(records(), "[still logged]\n");
}

TEST_F(RunLoopTest, RequestsReturnWithTheCounterOnTheNextStatement) {
  const Bytes background = kestrin::bodyStatement(kOpBackground, {0, 0, 9});
  const Bytes dialog = kestrin::bodyStatement(kOpDialog, cat({{0}, kestrin::element({'3'})}));
  const Bytes code = cat({background, dialog, kestrin::bodyStatement(kOpDialog, {7}), logStatement("after")});
  ASSERT_EQ(startWith({}, code), kStatusRunning);
  std::vector<std::size_t> backgrounds, dialogs;
  auto& f = engineState().frontEnd;
  f.setBackground = [&](std::span<const std::uint8_t> s) { backgrounds.push_back(s.size()); };
  f.dialogRequest = [&](std::uint8_t kind, std::span<const std::uint8_t> ops) {
    dialogs.push_back(kind * 100 + ops.size());
  };
  Engine& e = engineState();
  e.runStatus = 0;
  runLoop();
  EXPECT_EQ(e.runStatus, kStatusBackground);
  EXPECT_EQ(e.programCounter, static_cast<std::int32_t>(background.size()));
  e.runStatus = 0;
  runLoop();
  EXPECT_EQ(e.runStatus, kStatusDialog);
  EXPECT_EQ(e.programCounter, static_cast<std::int32_t>(background.size() + dialog.size()));
  EXPECT_EQ(runToEnd(), (std::vector<std::int32_t>{kStatusDialog, kStatusEnded}));  // kind 7: no request
  EXPECT_EQ(backgrounds, std::vector<std::size_t>{5});
  EXPECT_EQ(dialogs, std::vector<std::size_t>{3});
  EXPECT_EQ(records(), "[after]\n");
}

TEST_F(RunLoopTest, AbortEndsTheRunWhateverTheAnswer) {
  for (bool yes : {false, true}) {
    const Bytes code = cat({logStatement("before"), {kOpAbort}, logStatement("never")});
    ASSERT_EQ(startWith({}, code), kStatusRunning);
    engineState().frontEnd.confirmAbort = [yes](int fromUser) {
      EXPECT_EQ(fromUser, 0);
      return confirmAbortWith(0, [yes] { return yes; });
    };
    engineState().rebootNeeded = 1;
    EXPECT_EQ(runToEnd(), std::vector<std::int32_t>{kStatusEnded});
    EXPECT_EQ(engineState().rebootNeeded, 0);
    EXPECT_EQ(records(), yes ? "[before]\n[!%%% EXTERN:ABORT OK %%%%]\n" : "[before]\n") << yes;
    EXPECT_EQ(engineState().abortDoneEvent.isSet(), yes);
    EXPECT_EQ(engineState().resumeEvent.isSet(), !yes);
  }
}

// A worker that runs the script while the test answers Cancel from another
// thread: the halt request is made while the worker is inside the first
// dialog request, so it is seen before the next statement.
TEST_F(RunLoopTest, CancelAnsweredNoOrYesLeavesTheProtocolRecordsInOrder) {
  for (bool yes : {false, true}) {
    const Bytes code = cat({logStatement("one"), kestrin::bodyStatement(kOpDialog, {7}), logStatement("two"), logStatement("three")});
    ASSERT_EQ(startWith({}, code), kStatusRunning);
    std::atomic<bool> inDialog{false};
    std::thread worker([&inDialog] {
      Engine& e = engineState();
      do {
        e.runStatus = 0;
        runLoop();
        // Serving the dialog takes until Cancel has been pressed.
        if (e.runStatus == kStatusDialog) inDialog = true;
        while (e.runStatus == kStatusDialog && !e.haltRequestEvent.isSet()) std::this_thread::yield();
      } while (e.runStatus == kStatusDialog);
    });
    while (!inDialog) std::this_thread::yield();
    // Cancel while the worker runs: the halt is acknowledged at a statement boundary.
    const int result = confirmAbortWith(1, [yes] { return yes; });
    worker.join();
    EXPECT_EQ(result, yes ? 1 : 0);
    const std::string log = records();
    const std::string halt = "[!%%% EXTERN:HALT REQUEST %%%%]\n[!%%% RUNLOOP: HALT ACK ....]\n";
    const std::size_t at = log.find(halt);
    ASSERT_NE(at, std::string::npos) << log;
    if (yes) {
      EXPECT_EQ(log.substr(at), halt + "[!%%% EXTERN:ABORT REQUEST %%%%]\n[!%%% RUNLOOP: ABORT ACK ....]\n"
                                       "[!%%% EXTERN:ABORT OK %%%%]\n");
      EXPECT_EQ(log.find("[three]"), std::string::npos);
    } else {
      EXPECT_NE(log.find("[three]\n"), std::string::npos) << log;
      EXPECT_FALSE(engineState().haltRequestEvent.isSet());
      EXPECT_FALSE(engineState().resumeEvent.isSet());
    }
    EXPECT_EQ(engineState().runStatus, kStatusEnded);
  }
}

TEST_F(RunLoopTest, LogMovesUnderLogTargetAtANormalEndOnly) {
  std::filesystem::create_directories(dir_ / "app");
  const std::string target = (dir_ / "app" / "inst.log").string();
  for (bool abort : {false, true}) {
    std::filesystem::remove(dir_ / "app" / "inst.log");
    Bytes code = logStatement("done");
    if (abort) code.push_back(kOpAbort);
    ASSERT_EQ(startWith({}, code), kStatusRunning);
    // What UNINSTALLREG leaves: LogTarget and MoveLog.
    const std::string start = systemVariables()[kStartDir].string;
    systemVariables()[kLogTarget].string = keepString(start + "\\app\\inst.log");
    systemVariables()[kMoveLog].number = 1;
    runToEnd();
    EXPECT_EQ(std::filesystem::exists(dir_ / "inst.log"), abort);
    EXPECT_EQ(std::filesystem::exists(target), !abort);
    if (!abort) {
      EXPECT_EQ(readFile(target), std::string(kLogHeader) + "[done]\n");
    }
  }
  // A log already at the target is kept, and ours goes on after it.
  std::ofstream(target) << "other";
  ASSERT_EQ(startWith({}, logStatement("x")), kStatusRunning);
  systemVariables()[kLogTarget].string = keepString(std::string(systemVariables()[kStartDir].string) + "\\app\\inst.log");
  systemVariables()[kMoveLog].number = 1;
  runToEnd();
  EXPECT_EQ(readFile(target), std::string("other") + kLogHeader + "[x]\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "inst.log"));
}

TEST_F(RunLoopTest, StartUpResults) {
  EXPECT_EQ(startEngine(), kStatusNoPack);
  std::string error;
  ASSERT_TRUE(kestrin::writePack("inst", {{"other", "", {1, 2}, 0}}, 0, nullptr, &error));
  EXPECT_EQ(startEngine(), kStatusNoScript);
  std::ofstream("inst.i00", std::ios::binary) << "XYZ\0\0\0\0";
  EXPECT_EQ(startEngine(), kStatusCannotOpen);
  runLoop();  // does nothing on a failed start
  EXPECT_EQ(engineState().runStatus, kStatusCannotOpen);
}

}  // namespace
