// The script machine and run loop: any bytes as the compiled script entry of
// a pack that also holds a text, a picture, the uninstaller and an entry
// split across three volumes, run against a private drive tree from start
// to end, its commands included, with every background and dialog request
// read by the front end's own readers and answered OK. A
// script that loops for ever is ended after a number of statements. Checks
// that the run ends, that the log keeps its header and has no record
// left open, that a script kestrin's check finds sound runs without an
// error record, and that the value stack never claims more entries than it has.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Bytecode.h"
#include "PackWriter.h"
#include "ScriptCheck.h"
#include "frontend/BackgroundItems.h"
#include "frontend/DialogRequest.h"
#include "ScratchRoot.h"
#include "platform/FileSystem.h"
#include "setup/LogFormat.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace {

constexpr std::uint64_t kStatementLimit = 4096;
constexpr int kMostRequests = 256;

std::vector<std::uint8_t> smallBitmap() {
  std::vector<std::uint8_t> b(1078 + 4 * 2, 0);
  b[0] = 'B';
  b[1] = 'M';
  b[18] = 2;  // width 2
  b[22] = 2;  // height 2
  b[46] = 2;  // two colours
  return b;
}

// The entries beside the script; "big" is split over the volumes.
std::vector<kestrin::PackInput> otherEntries() {
  std::vector<kestrin::PackInput> more;
  const std::string text = "Velmora\r\nRandom wallpapers.";
  more.push_back({"readme.txt", "", kestrin::Bytes(text.begin(), text.end()), 0});
  more.push_back({"side.bmp", "", smallBitmap(), 0x01});
  more.push_back({"uninstall", "", kestrin::Bytes(64, 0x90), 0x02});
  more.push_back({"big", "", kestrin::Bytes(3000, 0x5A), 0});
  return more;
}

// The front end's state between requests, as setup.exe keeps it.
struct FrontEnd {
  setup::DialogRequest request;
  setup::ProgressRequest progress;
  setup::DialogPicture picture;
};

// Record texts may hold anything (LOGTEXT), so what can be checked is that
// the header is whole and that no record is left open at the end of a run.
bool endsBetweenRecords(const std::string& log) {
  if (!log.starts_with(setup::kLogHeader)) return false;
  return log.size() == setup::kLogHeader.size() || log.back() == '\n' || log.back() == '*';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::scratchRoot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::resetScratch();
  std::vector<kestrin::PackInput> inputs;
  inputs.push_back({"script", "", kestrin::Bytes(data, data + size), 0});
  for (auto& more : otherEntries()) inputs.push_back(std::move(more));
  std::string error;
  FUZZ_REQUIRE(kestrin::writePack("inst", inputs, 2048 + size, nullptr, &error));

  setup::Engine& e = setup::engineState();
  int abortAnswers = 0;
  e.frontEnd = {};
  static FrontEnd front;
  front = {};
  e.frontEnd.setBackground = [](std::span<const std::uint8_t> statement) {
    for (const setup::BackgroundChange& change : setup::readBackground(statement))
      FUZZ_REQUIRE(std::strlen(change.text) < setup::kSlotTextSize);
  };
  e.frontEnd.dialogRequest = [](std::uint8_t kind, std::span<const std::uint8_t> elements) {
    setup::readDialogRequest(kind, elements, &front.request, &front.progress, &front.picture);
    FUZZ_REQUIRE(std::strlen(front.request.caption) < setup::kCaptionSize);
    FUZZ_REQUIRE(std::strlen(front.request.text) < setup::kMessageSize);
    FUZZ_REQUIRE(std::strlen(front.progress.text) < setup::kMessageSize);
    if (front.picture.section.handle) {
      FUZZ_REQUIRE(front.picture.info.width >= 1 && front.picture.info.height >= 1);
    }
    // The user answers OK.
    setup::storeAnswer(front.request.resultVariable, 1);
  };
  e.frontEnd.confirmAbort = [&](int fromUser) {
    const bool yes = (abortAnswers++ & 1) != 0;
    return setup::confirmAbortWith(fromUser, [yes] { return yes; });
  };
  e.frontEnd.progressStep = [](const char* caption, const char* detail) { FUZZ_REQUIRE(caption && detail); };
  e.frontEnd.askCopyError = [](const char*, const char*, std::uint32_t) { return setup::CopyErrorAnswer::Ignore; };
  e.dryRun = 0;
  e.statementLimit = kStatementLimit;

  const std::int32_t started = setup::startEngine();
  FUZZ_REQUIRE(setup::createLog(e.baseName) == 1);
  if (started != setup::kStatusRunning) {
    FUZZ_REQUIRE(started == setup::kStatusNoScript);
    return 0;
  }
  int requests = 0;
  for (;;) {
    e.runStatus = setup::kStatusRunning;
    setup::runLoop();
    if (e.runStatus == setup::kStatusEnded) break;
    FUZZ_REQUIRE(e.runStatus == setup::kStatusBackground || e.runStatus == setup::kStatusDialog);
    // Requests do not count as statements of the loop; a script made only of
    // them is ended here.
    if (++requests == kMostRequests) break;
  }
  FUZZ_REQUIRE(setup::valueStack().depth <= setup::kStackDepth);

  setup::replacePicture(&front.picture, {});  // lets the last picture go
  std::vector<std::uint8_t> log;
  const std::string path = setup::logPath();
  if (platform::readFile(path, 1u << 24, &log) == platform::kErrorSuccess) {
    const std::string text(log.begin(), log.end());
    FUZZ_REQUIRE(endsBetweenRecords(text));
    // A script kestrin's check calls sound never trips the run loop.
    if (!kestrin::checkScript({data, size}).has_value()) FUZZ_REQUIRE(text.find("*ERROR #") == std::string::npos);
  }
  return 0;
}
