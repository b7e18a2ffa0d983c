#pragma once
// The installation script language (see docs/script-language.md) compiled
// to the script entry of a pack, and a compiled script printed back as
// statements of the language.
#include <string>
#include <string_view>

#include "Bytecode.h"

namespace kestrin {

// Compiles `source`; on failure `error` reads "file:line:column: message".
bool compileScript(std::string_view source, std::string_view fileName, Bytes* entry, std::string* error);

// Prints a script entry as source that compiles to the same bytes. False
// (with a message) when the entry is too short for its own header.
bool disassembleScript(const Bytes& entry, std::string* text, std::string* error);

}  // namespace kestrin
