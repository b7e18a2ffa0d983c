#pragma once
// The plain-text source of a help file.
//
//   Velmora Help                 the first non-blank line: the help title
//
//   Text of the contents topic.  paragraphs are separated by blank lines;
//   It goes on here.             the lines of a paragraph are joined
//
//   # Width and height           a heading starts a new topic
//   - a list item                "- " or "* " starts a bulleted paragraph
//
// Text before the first heading is the contents topic, titled with the help
// title; without such text the first heading's topic is the contents. The
// source is UTF-8 (a byte-order mark is skipped) or, when it is not valid
// UTF-8, Windows-1252.
#include <cstddef>
#include <string>
#include <string_view>

#include "HelpDocument.h"

namespace helpfile {

struct TextError {
  std::size_t line = 0;  // 1-based; 0 when the error is not about one line
  std::string message;
};

bool parseHelpText(std::string_view source, HelpDocument* doc, TextError* error);

}  // namespace helpfile
