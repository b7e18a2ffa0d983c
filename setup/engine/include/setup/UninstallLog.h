#pragma once
// The uninstall log writer. Every operation opens the log by its full path,
// appends its bytes and closes it again, so the file on disk is complete up
// to the last operation at every moment.
//
// Record texts are kept on their line: a line feed or carriage return in a
// text is written as a space.
//
// A record belongs to the thread that opened it until that thread closes or
// cancels it; other threads wait for that before they write, so the worker's
// records and those of the abort question never share a line.
#include <cstdint>
#include <string>
#include <string_view>

namespace setup {

// Error table entries (the number written in an error record).
inline constexpr int kErrorNoPack = 0;       // "Can't find install pack."
inline constexpr int kErrorCannotOpen = 1;   // "Can't open install pack."
inline constexpr int kErrorInvalidPack = 2;  // "Invalid install pack."
inline constexpr int kErrorBadScript = 3;    // "Invalid script."

// Creates (or empties) "<current directory>\<baseName>.log" and writes the
// two header lines. 1 on success, 0 when the file cannot be made.
int createLog(std::string_view baseName);

void openRecord();
void writeRecordText(std::string_view text);
void closeRecord();
void cancelRecord();
// "*ERROR #<number>@<program counter>,<message>*", no line feed.
void writeError(int number, int argument);

// One completed record: openRecord, writeRecordText, closeRecord.
void writeRecord(std::string_view text);

// The thread's open record, if any, no longer keeps other threads waiting.
// The run loop calls this between statements.
void releaseRecord();

// The log's full path and its file name ("<base>.log"). The name buffer is
// what the system variable LogName refers to.
const std::string& logPath();
const char* logNameBuffer();

// The writer's flag: 1 after openRecord, 0 after cancelRecord.
std::int32_t recordOpenFlag();

// The system error code of the first append that failed since the log was
// created, 0 when every byte was written. Bytes that could not be written
// are kept and go to the file before those of the next append, so the log
// stays whole once writing works again; the front end reports the code.
std::int32_t logWriteError();

// Tries once more to write the bytes a failed append kept, so the last
// record of a run is not left behind when nothing else is written after it.
void flushLog();

}  // namespace setup
