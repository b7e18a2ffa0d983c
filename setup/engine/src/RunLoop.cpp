#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "setup/Commands.h"
#include "setup/LogFormat.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {


std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// The computed result's string copied into an operand buffer ("" when the
// result has no string). Null when it does not fit: the command then fails
// rather than act on a shortened text.
const char* intoBuffer(int which) {
  Engine& e = engineState();
  const std::string_view text = stringOf(valueStack().top());
  if (text.size() >= kOperandBufferSize) return nullptr;
  if (!text.empty()) std::memcpy(e.operands[which], text.data(), text.size());
  e.operands[which][text.size()] = '\0';
  return e.operands[which];
}

// Computes `count` expressions that follow one another in `body`, each into
// its operand buffer. False when one is malformed or they overrun the body.
bool computeOperands(std::span<const std::uint8_t> body, int count, const char* out[4]) {
  for (int i = 0; i < count; ++i) {
    const std::size_t size = expressionSize(body);
    if (size == 0 || !evalExpression(body)) return false;
    out[i] = intoBuffer(i);
    body = body.subspan(size);
  }
  return true;
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
  const char* ops[4] = {};

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
        // These commands take their operand straight from the computed string.
        const char* text = result.string ? result.string : "";
        if (op == kOpMkdir) {
          makeDirectoryCommand(text);
        } else if (op == kOpRmdir) {
          removeDirectoryCommand(text);
        } else if (op == kOpRun) {
          runCommand(text);
        } else {
          backupCommand(text);
        }
      }
      break;
    }
    case kOpSetReg:
      // A dry run computes none of SETREG's operands.
      if (length < 1) return Step::Malformed;
      if (!dry && !setRegCommand(body[0], body.subspan(1))) return Step::Malformed;
      break;
    case kOpCopy:
      if (length < 1 || !computeOperands(body.subspan(1), 2, ops)) return Step::Malformed;
      if (dry) break;
      if (body[0] == kCopyShared) {
        sharedCopyCommand(ops[0], ops[1]);
      } else {
        copyCommand(body[0], ops[0], ops[1]);
      }
      break;
    case kOpShortcut:
      if (!computeOperands(body, 4, ops)) return Step::Malformed;
      if (!dry) shortcutCommand(ops[0], ops[1], ops[2], ops[3]);
      break;
    case kOpUninstallReg:
      if (!computeOperands(body, 2, ops)) return Step::Malformed;
      if (!dry) uninstallRegCommand(ops[0], ops[1]);
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
      writeRecord(kNoteHaltAck);
      e.haltAckEvent.set();
      e.resumeEvent.wait();
      e.haltRequestEvent.reset();
      e.haltAckEvent.reset();
      e.resumeEvent.reset();
    }
    if (e.abortRequestEvent.isSet()) {
      writeRecord(kNoteAbortAck);
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
  flushLog();
  if (systemVariables()[kMoveLog].number == 1) moveLogToTarget();
  e.runStatus = kStatusEnded;
}

int confirmAbortWith(int fromUser, const std::function<bool()>& ask,
                     const std::function<void(ManualEvent&)>& waitFor) {
  Engine& e = engineState();
  const auto wait = [&](ManualEvent& event) {
    if (waitFor) {
      waitFor(event);
    } else {
      event.wait();
    }
  };
  if (fromUser == 1) {
    writeRecord(kNoteHaltRequest);
    e.haltRequestEvent.set();
    wait(e.haltAckEvent);
  }
  if (!ask || !ask()) {
    e.resumeEvent.set();
    return 0;
  }
  if (fromUser == 1) {
    writeRecord(kNoteAbortRequest);
    e.abortRequestEvent.set();
    e.resumeEvent.set();
    wait(e.abortAckEvent);
  }
  writeRecord(kNoteAbortOk);
  e.abortDoneEvent.set();
  return 1;
}

}  // namespace setup
