#include "setup/UninstallLog.h"

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/SystemDirs.h"
#include "setup/LogFormat.h"
#include "setup/RunLoop.h"

namespace setup {
namespace {

struct LogWriter {
  std::mutex lock;
  std::condition_variable freed;
  bool owned = false;
  std::thread::id owner;
  std::int32_t recordOpen = 0;
  std::string path;
  char name[256] = {};
  // Bytes a failed write could not append; they go first with the next one.
  std::string pending;
  std::int32_t writeError = 0;
};

LogWriter theLog;

struct ErrorEntry {
  const char* message;
  int argumentMode;
};
constexpr ErrorEntry kErrors[] = {
    {"Can't find install pack.", 0},
    {"Can't open install pack.", 0},
    {"Invalid install pack.", 0},
    {"Invalid script.", 0},
};

void append(std::string_view bytes) {
  theLog.pending += bytes;
  const std::string& all = theLog.pending;
  const std::int32_t error =
      platform::appendFile(theLog.path, {reinterpret_cast<const std::uint8_t*>(all.data()), all.size()});
  if (error) {
    if (theLog.writeError == 0) theLog.writeError = error;
    return;
  }
  theLog.pending.clear();
}

// A record's text stays on its line whatever a script puts in it.
std::string oneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

// Waits until no other thread holds an open record.
std::unique_lock<std::mutex> takeTurn() {
  std::unique_lock<std::mutex> held(theLog.lock);
  const auto me = std::this_thread::get_id();
  theLog.freed.wait(held, [&] { return !theLog.owned || theLog.owner == me; });
  return held;
}

void endRecord() {
  theLog.owned = false;
  theLog.freed.notify_all();
}

void cancelLocked() {
  append("#\n");
  theLog.recordOpen = 0;
  endRecord();
}

}  // namespace

int createLog(std::string_view baseName) {
  std::lock_guard<std::mutex> held(theLog.lock);
  std::string name(baseName);
  name += ".log";
  if (name.size() > 255) name.resize(255);
  std::memcpy(theLog.name, name.c_str(), name.size() + 1);
  std::string path = platform::currentDirectory();
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  if (path.size() > 511) path.resize(511);
  theLog.path = path;
  theLog.recordOpen = 0;
  theLog.owned = false;
  theLog.pending.clear();
  theLog.writeError = 0;
  const std::span<const std::uint8_t> header(reinterpret_cast<const std::uint8_t*>(kLogHeader.data()), kLogHeader.size());
  return platform::writeFile(path, header) == platform::kErrorSuccess ? 1 : 0;
}

void openRecord() {
  auto held = takeTurn();
  theLog.owned = true;
  theLog.owner = std::this_thread::get_id();
  append("[");
  theLog.recordOpen = 1;
}

void writeRecordText(std::string_view text) {
  auto held = takeTurn();
  if (theLog.recordOpen == 1) {
    append(oneLine(text));
  } else {
    cancelLocked();
  }
}

void closeRecord() {
  auto held = takeTurn();
  if (theLog.recordOpen == 1) {
    append("]\n");
    endRecord();
  } else {
    cancelLocked();
  }
}

void cancelRecord() {
  auto held = takeTurn();
  cancelLocked();
}

void writeError(int number, int argument) {
  auto held = takeTurn();
  char text[512];
  int n = std::snprintf(text, sizeof text, "*ERROR #%d@%d,", number, engineState().programCounter);
  std::string out(text, n > 0 ? static_cast<std::size_t>(n) : 0);
  if (number >= 0 && number < static_cast<int>(std::size(kErrors))) {
    if (kErrors[number].argumentMode == 1) {
      n = std::snprintf(text, sizeof text, kErrors[number].message, argument);
      out.append(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    } else {
      out += kErrors[number].message;
    }
  }
  out += '*';
  append(out);
}

void writeRecord(std::string_view text) {
  auto held = takeTurn();
  theLog.owned = true;
  theLog.owner = std::this_thread::get_id();
  append("[" + oneLine(text) + "]\n");
  theLog.recordOpen = 1;
  endRecord();
}

void releaseRecord() {
  std::lock_guard<std::mutex> held(theLog.lock);
  if (theLog.owned && theLog.owner == std::this_thread::get_id()) endRecord();
}

const std::string& logPath() { return theLog.path; }
const char* logNameBuffer() { return theLog.name; }
std::int32_t recordOpenFlag() { return theLog.recordOpen; }

void flushLog() {
  auto held = takeTurn();
  if (!theLog.pending.empty()) append("");
}

std::int32_t logWriteError() {
  std::lock_guard<std::mutex> held(theLog.lock);
  return theLog.writeError;
}

}  // namespace setup
