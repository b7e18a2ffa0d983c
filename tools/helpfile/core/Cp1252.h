#pragma once
// Text for the help file: UTF-8 to Windows-1252.
#include <cstddef>
#include <string>
#include <string_view>

namespace helpfile {

// True when `s` is well-formed UTF-8 (plain ASCII is).
bool isUtf8(std::string_view s);

// Converts well-formed UTF-8 to Windows-1252. False when a character has no
// Windows-1252 form; `badAt` then receives its byte offset in `s`.
bool utf8ToCp1252(std::string_view s, std::string* out, std::size_t* badAt);

}  // namespace helpfile
