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

// Where the record being written stands. Its text is kept here until the
// record is closed and then goes to the file in one append with its "]", so
// a write that fails never leaves half a record: an append that fails adds
// nothing, and the record is cancelled instead.
enum class Pending : std::uint8_t {
  None,        // no record open
  OpenOnDisk,  // its "[" is in the file
  OpenHere,    // its "[" could not be written
};

struct LogWriter {
  std::mutex lock;
  std::condition_variable freed;
  bool owned = false;
  std::thread::id owner;
  std::int32_t recordOpen = 0;
  Pending pending = Pending::None;
  std::string text;       // the open record's text, not yet in the file
  bool dangling = false;  // the file ends in a "[" that could be neither closed nor cancelled
  std::string path;
  char name[256] = {};
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

bool append(std::string_view bytes) {
  return platform::appendFile(theLog.path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}) ==
         platform::kErrorSuccess;
}

// Bytes that must come first so the next thing starts outside a record.
std::string_view endDangling() { return theLog.dangling ? std::string_view("#\n") : std::string_view(); }

// Appends `bytes` after whatever ends a dangling record; true when written.
bool appendOutside(std::string_view bytes) {
  std::string all(endDangling());
  all += bytes;
  if (!append(all)) return false;
  theLog.dangling = false;
  return true;
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
  bool written;
  if (theLog.pending == Pending::OpenHere) {
    written = appendOutside("[#\n");
  } else {
    // After a record's "[", or on its own: "#" and the line end.
    written = append("#\n");
    if (written) theLog.dangling = false;
    if (!written && theLog.pending == Pending::OpenOnDisk) theLog.dangling = true;
  }
  theLog.pending = Pending::None;
  theLog.text.clear();
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
  theLog.pending = Pending::None;
  theLog.text.clear();
  theLog.dangling = false;
  const std::span<const std::uint8_t> header(reinterpret_cast<const std::uint8_t*>(kLogHeader.data()), kLogHeader.size());
  return platform::writeFile(path, header) == platform::kErrorSuccess ? 1 : 0;
}

void openRecord() {
  auto held = takeTurn();
  theLog.owned = true;
  theLog.owner = std::this_thread::get_id();
  // A record opened inside an open one: the first one's text goes first.
  std::string bytes = theLog.pending == Pending::OpenOnDisk ? theLog.text : std::string();
  bytes += '[';
  theLog.pending = appendOutside(bytes) ? Pending::OpenOnDisk : Pending::OpenHere;
  theLog.text.clear();
  theLog.recordOpen = 1;
}

void writeRecordText(std::string_view text) {
  auto held = takeTurn();
  if (theLog.recordOpen == 1) {
    if (theLog.pending == Pending::None) theLog.pending = Pending::OpenHere;  // text after a closed record
    theLog.text += text;
  } else {
    cancelLocked();
  }
}

void closeRecord() {
  auto held = takeTurn();
  if (theLog.recordOpen != 1) {
    cancelLocked();
    return;
  }
  std::string bytes = theLog.pending == Pending::OpenOnDisk ? std::string() : std::string("[");
  bytes += theLog.text;
  bytes += "]\n";
  const bool written = theLog.pending == Pending::OpenOnDisk ? append(bytes) : appendOutside(bytes);
  if (!written) {
    // What was done cannot be recorded: the record reads as cancelled.
    cancelLocked();
    theLog.recordOpen = 1;
    return;
  }
  theLog.pending = Pending::None;
  theLog.text.clear();
  endRecord();
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
  appendOutside(out);
}

void writeRecord(std::string_view text) {
  auto held = takeTurn();
  theLog.owned = true;
  theLog.owner = std::this_thread::get_id();
  std::string bytes = theLog.pending == Pending::OpenOnDisk ? theLog.text : std::string();
  bytes += '[';
  bytes += text;
  bytes += "]\n";
  appendOutside(bytes);
  theLog.pending = Pending::None;
  theLog.text.clear();
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

}  // namespace setup
