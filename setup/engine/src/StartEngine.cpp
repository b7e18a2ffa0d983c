#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"

namespace setup {

Engine& engineState() {
  static Engine engine;
  return engine;
}

std::int32_t startEngine() {
  Engine& e = engineState();
  e.pack.reset();
  e.script = nullptr;
  releaseRunMemory();
  e.statementsRun = 0;
  e.codeStart = nullptr;
  e.codeLength = 0;
  e.programCounter = 0;
  e.rebootNeeded = 0;
  e.runStatus = kStatusNoPack;
  const std::string found = platform::findFileEndingIn(".i00");
  if (found.empty()) return e.runStatus;

  std::string base = found.substr(0, found.find('.'));
  if (base.size() > 15) base.resize(15);
  std::memcpy(e.baseName, base.c_str(), base.size() + 1);
  VolumeChain& chain = theVolumeChain();
  // The volumes are named after the file found, in its own spelling.
  chain.start(found.substr(0, found.size() - 4));
  chain.volumeName = found;
  e.pack = InstallPack::open(chain.volumeName);
  e.runStatus = kStatusCannotOpen;
  if (!e.pack || e.pack->status != kPackOk) return e.runStatus;

  e.script = e.pack->loadEntry("script");
  if (!e.script) {
    e.runStatus = e.pack->status == kPackNoEntry ? kStatusNoScript : kStatusCannotOpen;
    return e.runStatus;
  }
  // A script too short for its own header is not a script.
  const std::uint32_t size = e.script->size;
  const std::uint16_t n = size >= 2 ? static_cast<std::uint16_t>(e.script->data[0] | e.script->data[1] << 8) : 0;
  if (size < 2 || size - 2 < 2u * n) {
    e.script = nullptr;
    e.runStatus = kStatusNoScript;
    return e.runStatus;
  }
  e.variableCount = n;
  e.codeStart = e.script->data + 2 + 2 * n;
  e.codeLength = size - 2 - 2u * n;
  // Positions in the code are 16-bit; code past 65535 bytes is unreachable.
  if (e.codeLength > 0xFFFF) e.codeLength = 0xFFFF;
  buildVariables({e.script->data + 2, 2u * n}, n);
  fillSystemVariables(e.programInstance);

  for (ManualEvent* ev : {&e.abortRequestEvent, &e.abortAckEvent, &e.abortDoneEvent, &e.haltRequestEvent,
                          &e.haltAckEvent, &e.resumeEvent})
    ev->reset();
  e.runStatus = kStatusRunning;
  return e.runStatus;
}

}  // namespace setup
