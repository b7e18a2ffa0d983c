#pragma once
// Engine start-up and the statement interpreter, with the halt and abort
// protocol that lets the user side stop the worker between two statements.
#include <cstdint>
#include <memory>
#include <string>

#include "setup/Bytecode.h"
#include "setup/EngineSeams.h"
#include "setup/InstallPack.h"
#include "setup/ManualEvent.h"

namespace setup {

// runStatus values.
inline constexpr std::int32_t kStatusNoPack = -1;
inline constexpr std::int32_t kStatusCannotOpen = -2;
inline constexpr std::int32_t kStatusNoScript = -3;
inline constexpr std::int32_t kStatusRunning = 0;
inline constexpr std::int32_t kStatusEnded = 1;
inline constexpr std::int32_t kStatusBackground = 2;
inline constexpr std::int32_t kStatusDialog = 3;

inline constexpr std::size_t kOperandBufferSize = 256;

struct Engine {
  std::unique_ptr<InstallPack> pack;
  char baseName[16] = {};
  PackEntry* script = nullptr;
  std::uint16_t variableCount = 0;
  const std::uint8_t* codeStart = nullptr;
  std::uint32_t codeLength = 0;
  std::int32_t programCounter = 0;
  std::int32_t runStatus = 0;
  std::int32_t dryRun = 0;
  std::int32_t rebootNeeded = 0;
  std::int32_t programInstance = 0;
  char operands[4][kOperandBufferSize] = {};
  // Tests and fuzzing: after this many statements the run ends as an abort
  // ends it, the log left where it is (0: no limit), so that a script that
  // loops forever still ends.
  std::uint64_t statementLimit = 0;
  std::uint64_t statementsRun = 0;

  ManualEvent abortRequestEvent;
  ManualEvent abortAckEvent;
  ManualEvent abortDoneEvent;
  ManualEvent haltRequestEvent;
  ManualEvent haltAckEvent;
  ManualEvent resumeEvent;

  FrontEndHooks frontEnd;
};

// The engine of this process.
Engine& engineState();

// Finds "*.i00" in the current directory, opens the pack, loads "script",
// builds the variables and fills the system variables. Returns (and stores
// in runStatus) 0, -1, -2 or -3.
std::int32_t startEngine();

// Runs statements until the script ends (status 1) or asks for a background
// (2) or a dialog (3). Does nothing when runStatus is negative. A malformed
// statement ends the run with error record 3 in the log.
void runLoop();

// The user side of the abort question: with `fromUser` 1 the halt and abort
// handshake around `ask`; with 0 only the question and its answer's event.
// `ask` returns true for yes. Returns 1 when the user chose to abort.
// `waitFor`, when given, does the user side's waits for the worker's events
// (a thread with windows keeps answering the messages sent to them while it
// waits); without it they block.
int confirmAbortWith(int fromUser, const std::function<bool()>& ask,
                     const std::function<void(ManualEvent&)>& waitFor = {});

}  // namespace setup
