#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {

constexpr char kHaltAck[] = "!%%% RUNLOOP: HALT ACK ....";
constexpr char kAbortAck[] = "!%%% RUNLOOP: ABORT ACK ....";

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// The computed result's string copied into an operand buffer ("" when the
// result has no string; longer texts are cut at 255 bytes).
const char* intoBuffer(int which) {
  Engine& e = engineState();
  const std::string_view text = stringOf(valueStack().top());
  const std::size_t n = text.size() < kOperandBufferSize ? text.size() : kOperandBufferSize - 1;
  if (n) std::memcpy(e.operands[which], text.data(), n);
  e.operands[which][n] = '\0';
  return e.operands[which];
}

// Computes `count` expressions that follow one another in `body`, each into
// its operand buffer. False when one is malformed or they overrun the body.
bool computeOperands(std::span<const std::uint8_t> body, int count) {
  for (int i = 0; i < count; ++i) {
    const std::size_t size = expressionSize(body);
    if (size == 0 || !evalExpression(body)) return false;
    intoBuffer(i);
    body = body.subspan(size);
  }
  return true;
}

void moveLogToTarget() {
  const Variable& target = systemVariables()[kLogTarget];
  if (!target.string) return;
  // Never over an existing file; the start directory's log is deleted only
  // once its copy is in place.
  if (platform::copyFile(logPath(), target.string, platform::IfExists::Fail) == platform::kErrorSuccess)
    platform::deleteFile(logPath());
}

enum class Step { Next, Return, Malformed };

Step execute(Engine& e) {
  const std::uint32_t pc = static_cast<std::uint32_t>(e.programCounter);
  const std::uint8_t* at = e.codeStart + pc;
  const std::size_t left = e.codeLength - pc;
  const std::uint8_t op = at[0];

  if (op == kOpGoto) {
    if (left < 3) return Step::Malformed;
    e.programCounter = le16(at + 1);
    return Step::Next;
  }
  if (op == kOpIfNot) {
    if (left < 5) return Step::Malformed;
    const std::span<const std::uint8_t> expr(at + 3, left - 3);
    const std::size_t size = expressionSize(expr);
    if (size == 0 || !evalExpression(expr)) return Step::Malformed;
    if (valueStack().top().number == 0) {
      e.programCounter = le16(at + 1);
    } else {
      e.programCounter = static_cast<std::int32_t>(pc + 3 + size);
    }
    return Step::Next;
  }
  if (op == kOpAbort) {
    if (e.frontEnd.confirmAbort) e.frontEnd.confirmAbort(0);
    e.rebootNeeded = 0;
    e.runStatus = kStatusEnded;
    return Step::Return;
  }

  // Every other statement: opcode, count L, L bytes of body.
  if (left < 3) return Step::Malformed;
  const std::size_t length = le16(at + 1);
  if (length > left - 3) return Step::Malformed;
  const std::span<const std::uint8_t> counted(at + 1, length + 2);  // from the count field
  const std::span<const std::uint8_t> body(at + 3, length);
  const auto advance = [&] { e.programCounter = static_cast<std::int32_t>(pc + 3 + length); };
  const bool dry = e.dryRun != 0;
  auto& c = e.commands;

  switch (op) {
    case kOpEval:
    case kOpLogText:
    case kOpMkdir:
    case kOpRmdir:
    case kOpRun:
    case kOpBackup:
    case kOpDriveInfo: {
      if (!evalExpression(counted)) return Step::Malformed;
      const Value& result = valueStack().top();
      if (op == kOpLogText) {
        writeRecord(stringOf(result));
      } else if (op == kOpDriveInfo) {
        refreshDriveInfo(result.string);
      } else if (op != kOpEval && !dry) {
        // The commands take their operand straight from the computed string.
        const char* text = result.string ? result.string : "";
        const auto& hook = op == kOpMkdir   ? c.makeDirectory
                           : op == kOpRmdir ? c.removeDirectory
                           : op == kOpRun   ? c.run
                                            : c.backup;
        if (hook) hook(text);
      }
      break;
    }
    case kOpSetReg:
      if (length < 1) return Step::Malformed;
      if (!dry && c.setReg) c.setReg(body[0], body.subspan(1));
      break;
    case kOpCopy:
      if (length < 1 || !computeOperands(body.subspan(1), 2)) return Step::Malformed;
      if (!dry && c.copy) c.copy(body[0], e.operands[0], e.operands[1]);
      break;
    case kOpShortcut:
      if (!computeOperands(body, 4)) return Step::Malformed;
      if (!dry && c.shortcut) c.shortcut(e.operands[0], e.operands[1], e.operands[2], e.operands[3]);
      break;
    case kOpUninstallReg:
      if (!computeOperands(body, 2)) return Step::Malformed;
      if (!dry && c.uninstallReg) c.uninstallReg(e.operands[0], e.operands[1]);
      break;
    case kOpLoadEntry: {
      if (length < 5) return Step::Malformed;
      const std::uint16_t index = le16(body.data() + 3);
      Variable* target = index < 256 ? variableAt(index) : nullptr;
      if (!target || !evalExpression(body.subspan(5))) return Step::Malformed;
      // Pack names carry a leading marker character.
      const std::string_view named = stringOf(valueStack().top());
      if (!named.empty() && e.pack) {
        if (PackEntry* entry = e.pack->loadEntry(named.substr(1))) {
          target->string = reinterpret_cast<const char*>(entry->data);
          target->number = static_cast<std::int32_t>(entry->size);
        }
      }
      break;
    }
    case kOpBackground:
      if (e.frontEnd.setBackground) e.frontEnd.setBackground(counted);
      advance();
      e.runStatus = kStatusBackground;
      return Step::Return;
    case kOpDialog:
      if (length < 1) return Step::Malformed;
      if (body[0] <= 4 && e.frontEnd.dialogRequest) e.frontEnd.dialogRequest(body[0], body.subspan(1));
      advance();
      e.runStatus = kStatusDialog;
      return Step::Return;
    default:
      return Step::Malformed;  // not a statement
  }
  advance();
  return Step::Next;
}

}  // namespace

void runLoop() {
  Engine& e = engineState();
  if (e.runStatus < 0) return;
  if (!e.codeStart) {
    e.runStatus = kStatusEnded;
    return;
  }
  while (e.programCounter >= 0 && static_cast<std::uint32_t>(e.programCounter) < e.codeLength) {
    releaseRecord();
    reclaimStrings();
    if (e.statementLimit != 0 && e.statementsRun++ >= e.statementLimit) {
      e.runStatus = kStatusEnded;
      return;
    }
    if (e.haltRequestEvent.isSet()) {
      // The record goes first, so the log has the acknowledgement before
      // anything the user side writes once it has seen the event.
      writeRecord(kHaltAck);
      e.haltAckEvent.set();
      e.resumeEvent.wait();
      e.haltRequestEvent.reset();
      e.haltAckEvent.reset();
      e.resumeEvent.reset();
    }
    if (e.abortRequestEvent.isSet()) {
      writeRecord(kAbortAck);
      e.abortAckEvent.set();
      e.abortDoneEvent.wait();
      e.runStatus = kStatusEnded;
      return;
    }
    switch (execute(e)) {
      case Step::Next:
        continue;
      case Step::Return:
        return;
      case Step::Malformed:
        // The log keeps what was done so far and says where the script broke.
        writeError(kErrorBadScript, 0);
        e.runStatus = kStatusEnded;
        return;
    }
  }
  if (systemVariables()[kMoveLog].number == 1) moveLogToTarget();
  e.runStatus = kStatusEnded;
}

int confirmAbortWith(int fromUser, const std::function<bool()>& ask) {
  Engine& e = engineState();
  if (fromUser == 1) {
    writeRecord("!%%% EXTERN:HALT REQUEST %%%%");
    e.haltRequestEvent.set();
    e.haltAckEvent.wait();
  }
  if (!ask || !ask()) {
    e.resumeEvent.set();
    return 0;
  }
  if (fromUser == 1) {
    writeRecord("!%%% EXTERN:ABORT REQUEST %%%%");
    e.abortRequestEvent.set();
    e.resumeEvent.set();
    e.abortAckEvent.wait();
  }
  writeRecord("!%%% EXTERN:ABORT OK %%%%");
  e.abortDoneEvent.set();
  return 1;
}

}  // namespace setup
