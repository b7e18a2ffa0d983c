#pragma once
// What the install commands share: the progress step, the record that ends
// with the command's keyword and operand, and paths that must fit the
// engine's 256-byte buffers.
#include <string>
#include <string_view>

#include "setup/LogFormat.h"

namespace setup {

// Reports a progress step (caption, then one space and the detail, joined
// by the front end).
void progressStep(const char* caption, const char* detail);

// Writes the text of the open record: the keyword, one space, the operand;
// then closes it.
void completeRecord(RecordKind kind, std::string_view operand);

// "<dir>\<name>" when it fits a 256-byte buffer with its NUL; false (and
// nothing in `out`) when it does not.
bool joinPath(std::string_view dir, std::string_view name, std::string* out);
bool fitsBuffer(std::string_view text);

}  // namespace setup
