#pragma once
// What a help file says, before it is laid out: a title and topics of
// paragraphs. Text is in Windows-1252 (the help file's ANSI code page).
#include <string>
#include <vector>

namespace helpfile {

struct HelpParagraph {
  std::string text;
  bool bullet = false;  // a list item: indented, with a bullet
};

struct HelpTopic {
  std::string title;
  std::vector<HelpParagraph> paragraphs;
};

// The first topic is the contents, the one HELP_CONTENTS shows.
struct HelpDocument {
  std::string title;
  std::vector<HelpTopic> topics;
};

}  // namespace helpfile
