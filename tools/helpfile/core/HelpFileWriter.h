#pragma once
// Lays a help document out as a Windows Help 3.1 file: |SYSTEM, |FONT,
// |TOPIC and |CONTEXT in the internal file system. Each topic starts with
// its title as a heading; when there are several, the contents topic ends
// with a jump to each of the others and the viewer shows browse buttons.
#include <cstddef>
#include <string>

#include "Bytes.h"
#include "HelpDocument.h"

namespace helpfile {

// The context string of topic `index` (0 is the contents).
std::string topicContextName(std::size_t index);

// The fonts the text uses, by index into |FONT.
inline constexpr std::uint16_t kBodyFont = 0;
inline constexpr std::uint16_t kHeadingFont = 1;

// False with a message when the document is empty or too big.
bool writeHelpFile(const HelpDocument& doc, Bytes* out, std::string* error);

}  // namespace helpfile
