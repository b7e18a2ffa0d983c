#include "uninstall/LogReader.h"

#include <cstring>

#include "UninstallerState.h"

namespace uninstall {
namespace {

constexpr int kEnd = -1;

// The next byte of the log, or kEnd; `peek` leaves it unread.
int logByte(bool peek) {
  UninstallerState& s = uninstallerState();
  if (s.next == s.filled) {
    if (!s.log.isOpen()) return kEnd;
    s.bufferStart += static_cast<std::int64_t>(s.filled);
    s.next = 0;
    std::int32_t error = 0;
    s.filled = platform::readSome(s.log, s.bytes, sizeof s.bytes, &error);
    // A log that cannot be read to its end may hold more to undo.
    if (error != 0) s.undoFailed = true;
    if (s.filled == 0) return kEnd;
  }
  const int c = s.bytes[s.next];
  if (!peek) ++s.next;
  return c;
}
int nextByte() { return logByte(false); }
int peekByte() { return logByte(true); }

bool endsRecord(int following) { return following == '\n' || following == '\r' || following == kEnd; }

}  // namespace

int readRecord(char* buffer) {
  UninstallerState& s = uninstallerState();
  buffer[0] = '\0';
  if (s.atEnd) return 0;

  int c;
  do {
    c = nextByte();
  } while (c != kEnd && c != setup::kRecordOpen);
  s.recordStart = s.bufferStart + static_cast<std::int64_t>(s.next) - 1;

  std::size_t length = 0;
  bool tooLong = false;
  bool usable = true;
  for (;;) {
    c = nextByte();
    if (c == kEnd) {
      s.atEnd = true;
      usable = length == 0;  // the log ended inside the record
      break;
    }
    if ((c == setup::kRecordClose || c == setup::kRecordCancel) && endsRecord(peekByte())) {
      usable = c == setup::kRecordClose;  // "#" ends a step that failed
      break;
    }
    if (length + 1 < kRecordBytes)
      buffer[length++] = static_cast<char>(c);
    else
      tooLong = true;
  }
  if (!usable || tooLong) length = 0;
  buffer[length] = '\0';
  return 1;
}

int recordKind(const char* record) {
  if (record[0] == '\0' || record[0] == setup::kNoteMarker || record[0] == setup::kErrorMarker) return -1;
  return matchKeyword(record, setup::kRecordKeywords, setup::kRecordKindCount);
}

int matchKeyword(const char* text, const std::string_view* table, int count) {
  while (*text == ' ') ++text;
  const std::size_t length = std::strlen(text);
  for (int i = 0; i < count; ++i) {
    const std::string_view keyword = table[i];
    if (length < keyword.size() || std::memcmp(text, keyword.data(), keyword.size()) != 0) continue;
    const char following = text[keyword.size()];
    if (following >= 'A' && following <= 'Z') continue;
    return i;
  }
  return -1;
}

int readField(const char* text, char* out, int wholeMode) {
  int blanks = 0;
  while (text[blanks] == ' ') ++blanks;
  out[0] = '\0';
  if (text[blanks] == '\0') return -1;
  const auto allowed = [wholeMode](unsigned char c) {
    if (c == setup::kFieldSeparator) return false;
    return wholeMode ? c >= 0x20 : c >= 0x21;
  };
  std::size_t copied = 0;
  for (const char* p = text + blanks; allowed(static_cast<unsigned char>(*p)); ++p) {
    if (copied + 1 >= kRecordBytes) {
      out[0] = '\0';
      return -1;
    }
    out[copied++] = *p;
  }
  out[copied] = '\0';
  return blanks + static_cast<int>(copied) + 1;
}

bool readOperands(const char* record, int count, char (*fields)[kRecordBytes]) {
  const std::size_t length = std::strlen(record);
  char keyword[kRecordBytes];
  const int step = readField(record, keyword, 0);
  if (step < 0) return false;
  std::size_t at = static_cast<std::size_t>(step);
  for (int i = 0; i < count; ++i) {
    if (at > length) return false;  // the record ended before this field
    const int fieldStep = readField(record + at, fields[i], 1);
    char stop = '\0';
    if (fieldStep < 0) {
      at = length + 1;  // only blanks were left: an empty last field
    } else {
      at += static_cast<std::size_t>(fieldStep);
      stop = record[at - 1];
    }
    const char wanted = i + 1 < count ? setup::kFieldSeparator : '\0';
    if (stop != wanted) return false;
  }
  return true;
}

}  // namespace uninstall
