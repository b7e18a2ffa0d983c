#include "HelpText.h"

#include <vector>

#include "Cp1252.h"
#include "HelpFormat.h"

namespace helpfile {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

struct Line {
  std::size_t number;
  std::string text;  // Windows-1252, tabs made spaces, trimmed
};

bool splitLines(std::string_view source, std::vector<Line>* lines, TextError* error) {
  if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
  const bool utf8 = isUtf8(source);
  std::size_t number = 0;
  while (!source.empty() || number == 0) {
    const std::size_t end = source.find('\n');
    std::string_view raw = trim(source.substr(0, end));
    source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
    ++number;
    std::string text;
    std::size_t badAt = 0;
    if (!utf8) {
      text.assign(raw);
    } else if (!utf8ToCp1252(raw, &text, &badAt)) {
      *error = {number, "character at column " + std::to_string(badAt + 1) + " has no Windows-1252 form"};
      return false;
    }
    for (char& c : text) {
      if (c == '\t') c = ' ';
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        *error = {number, "control character in the text"};
        return false;
      }
    }
    lines->push_back({number, std::move(text)});
    if (source.empty()) break;
  }
  return true;
}

bool isHeading(const std::string& s) { return s.size() >= 1 && s[0] == '#' && (s.size() == 1 || s[1] == ' '); }
bool isBullet(const std::string& s) { return s.size() >= 2 && (s[0] == '-' || s[0] == '*') && s[1] == ' '; }

}  // namespace

bool parseHelpText(std::string_view source, HelpDocument* doc, TextError* error) {
  std::vector<Line> lines;
  if (!splitLines(source, &lines, error)) return false;
  *doc = {};
  std::size_t i = 0;
  while (i < lines.size() && lines[i].text.empty()) ++i;
  if (i == lines.size()) {
    *error = {0, "no title: the first non-blank line is the help title"};
    return false;
  }
  if (isHeading(lines[i].text)) {
    *error = {lines[i].number, "the first non-blank line is the help title, not a heading"};
    return false;
  }
  if (lines[i].text.size() > kMaxTitle) {
    *error = {lines[i].number, "the title is longer than " + std::to_string(kMaxTitle) + " characters"};
    return false;
  }
  doc->title = lines[i].text;
  doc->topics.push_back({doc->title, {}});

  bool sawHeading = false;
  bool inParagraph = false;
  std::size_t startLine = 0;
  const auto closeParagraph = [&]() -> bool {
    inParagraph = false;
    if (doc->topics.back().paragraphs.back().text.size() > kMaxParagraph) {
      *error = {startLine, "the paragraph is longer than " + std::to_string(kMaxParagraph) + " characters"};
      return false;
    }
    return true;
  };
  for (++i; i < lines.size(); ++i) {
    const std::string& text = lines[i].text;
    if (text.empty() || isHeading(text) || isBullet(text)) {
      if (inParagraph && !closeParagraph()) return false;
    }
    if (text.empty()) continue;
    if (isHeading(text)) {
      const std::string name(trim(std::string_view(text).substr(1)));
      if (name.empty()) {
        *error = {lines[i].number, "a heading needs a name"};
        return false;
      }
      if (name.size() > kMaxTitle) {
        *error = {lines[i].number, "the heading is longer than " + std::to_string(kMaxTitle) + " characters"};
        return false;
      }
      // Without text of its own the title's topic gives way to the first heading's.
      if (!sawHeading && doc->topics[0].paragraphs.empty()) doc->topics.clear();
      sawHeading = true;
      if (doc->topics.size() == kMaxTopics) {
        *error = {lines[i].number, "more than " + std::to_string(kMaxTopics) + " topics"};
        return false;
      }
      doc->topics.push_back({name, {}});
      continue;
    }
    auto& paragraphs = doc->topics.back().paragraphs;
    if (!inParagraph) {
      const bool bullet = isBullet(text);
      paragraphs.push_back({std::string(trim(std::string_view(text).substr(bullet ? 2 : 0))), bullet});
      inParagraph = true;
      startLine = lines[i].number;
    } else {
      paragraphs.back().text += ' ';
      paragraphs.back().text += text;
    }
  }
  if (inParagraph && !closeParagraph()) return false;
  return true;
}

}  // namespace helpfile
