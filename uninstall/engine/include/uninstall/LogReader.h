#pragma once
// Reading the uninstall log: its records, their kinds and their fields.
//
// A record is the text between "[" and the "]" or "#" that the writer puts
// right before a line feed; everything outside brackets (the header lines,
// line ends, error records, records marked done) is passed over. A record is
// handed on empty, and so passed over, when it cannot be acted on safely:
//   - it is longer than its buffer (it would be acted on cut);
//   - it ends in "#" after some text (a step that failed while being logged);
//   - the log ends inside it (a step that never finished being logged).
// A "]" or "#" that is not followed by a line feed is part of the text, as
// such characters are in paths ("C:\x\a#b.txt").
#include <cstddef>
#include <string_view>

#include "setup/LogFormat.h"

namespace uninstall {

// The record and field buffers: at most 259 characters and the NUL.
inline constexpr std::size_t kRecordBytes = 260;

// Reads the next record of the open log (Uninstaller.h) into `buffer`
// (kRecordBytes). 0 when the end of the log had already been reached, else
// 1. After the last record one more call gives 1 and an empty record.
int readRecord(char* buffer);

// The record's kind, an index of setup::kRecordKeywords, or -1 for an empty
// record, a note ("!"), an error ("*") or an unknown keyword.
int recordKind(const char* record);

// The index of the first keyword of `table` that `text` begins with (blanks
// at its start passed over) and that is not followed by an upper-case letter
// ("COPY" matches "COPY C:\a" and "COPYx", not "COPYX"); -1 for none.
int matchKeyword(const char* text, const std::string_view* table, int count);

// Reads one field of `text` into `out` (kRecordBytes): blanks passed over,
// then the bytes up to a ';', a control byte or the end of the text. Word
// mode (wholeMode 0) also stops at a blank. Bytes of 0x80 and above are text
// of the ANSI code page and belong to the field. Returns the blanks passed
// over plus the bytes copied plus 1 (the separator stepped over), or -1 with
// `out` empty when the text holds nothing more. A field that does not fit
// `out` gives -1 and an empty `out` too.
int readField(const char* text, char* out, int wholeMode);

// The `count` operand fields that follow a record's keyword, read as the
// passes read them, into `fields`. True only when the record holds exactly
// that many, separated by ';', and the last reaches the end of the record: a
// field that stops anywhere else (at a ';' or a control byte inside a path)
// would name something other than what was logged.
bool readOperands(const char* record, int count, char (*fields)[kRecordBytes]);

}  // namespace uninstall
