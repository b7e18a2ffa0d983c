// The plain-text help source: title, topics, paragraphs, list items, the
// code page, and the errors that name their line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HelpText.h"

namespace helpfile {
namespace {

struct Para {
  std::string text;
  bool bullet;
  bool operator==(const Para&) const = default;
};
struct Topic {
  std::string title;
  std::vector<Para> paragraphs;
  bool operator==(const Topic&) const = default;
};

std::vector<Topic> topicsOf(const HelpDocument& doc) {
  std::vector<Topic> out;
  for (const auto& t : doc.topics) {
    Topic topic{t.title, {}};
    for (const auto& p : t.paragraphs) topic.paragraphs.push_back({p.text, p.bullet});
    out.push_back(topic);
  }
  return out;
}

TEST(HelpText, ReadsTitleTopicsParagraphsAndListItems) {
  struct Case {
    const char* name;
    std::string source;
    std::string title;
    std::vector<Topic> topics;
  };
  const Case cases[] = {
      {"title only", "Help\n", "Help", {{"Help", {}}}},
      {"lines join, blank lines split",
       "\n\nHelp\n\nOne\n  two\n\n\nThree\n",
       "Help",
       {{"Help", {{"One two", false}, {"Three", false}}}}},
      {"headings make topics after the contents",
       "Help\nIntro\n# First\nA\n- item one\n  more\n* item two\nAfter\n\nB\n#  Second  \n",
       "Help",
       {{"Help", {{"Intro", false}}},
        {"First", {{"A", false}, {"item one more", true}, {"item two After", true}, {"B", false}}},
        {"Second", {}}}},
      {"no text before the first heading: it is the contents",
       "Help\n\n# Start\nText\n# Next\n",
       "Help",
       {{"Start", {{"Text", false}}}, {"Next", {}}}},
      {"headings without text keep their topics", "Help\n# A\n# B\n", "Help", {{"A", {}}, {"B", {}}}},
      {"#word is text, not a heading", "Help\n#hashtag\n", "Help", {{"Help", {{"#hashtag", false}}}}},
      {"CRLF, byte-order mark and tabs",
       "\xEF\xBB\xBFHelp\r\n\r\nA\tB\r\nC\r\n",
       "Help",
       {{"Help", {{"A B C", false}}}}},
      {"UTF-8 becomes Windows-1252",
       "Caf\xC3\xA9 help\n\xE2\x82\xAC 5 \xE2\x80\x94 \xC2\xA9\n",
       "Caf\xE9 help",
       {{"Caf\xE9 help", {{"\x80 5 \x97 \xA9", false}}}}},
      {"not UTF-8: taken as Windows-1252", "Caf\xE9\n\x80 5\n", "Caf\xE9", {{"Caf\xE9", {{"\x80 5", false}}}}},
  };
  for (const Case& c : cases) {
    HelpDocument doc;
    TextError error;
    ASSERT_TRUE(parseHelpText(c.source, &doc, &error)) << c.name << ": " << error.message;
    EXPECT_EQ(doc.title, c.title) << c.name;
    EXPECT_EQ(topicsOf(doc), c.topics) << c.name;
  }
}

TEST(HelpText, ErrorsNameTheLine) {
  struct Case {
    const char* name;
    std::string source;
    std::size_t line;
    const char* says;
  };
  const Case cases[] = {
      {"empty", "", 0, "no title"},
      {"blank", "\n  \n", 0, "no title"},
      {"heading first", "\n# Topic\n", 2, "title"},
      {"no Windows-1252 form", "Help\n\nan arrow \xE2\x86\x92 here\n", 3, "column 10"},
      {"control character", "Help\nbell\x07\n", 2, "control"},
      {"heading without a name", "Help\n#\n", 2, "name"},
      {"title too long", std::string(128, 'x') + "\n", 1, "longer than"},
      {"paragraph too long", "Help\n\n" + std::string(9000, 'x') + "\n" + std::string(9000, 'y') + "\n", 3, "longer than"},
  };
  for (const Case& c : cases) {
    HelpDocument doc;
    TextError error;
    EXPECT_FALSE(parseHelpText(c.source, &doc, &error)) << c.name;
    EXPECT_EQ(error.line, c.line) << c.name;
    EXPECT_NE(error.message.find(c.says), std::string::npos) << c.name << ": " << error.message;
  }
}

TEST(HelpText, TooManyTopics) {
  std::string source = "Help\n";
  for (int i = 0; i <= 200; ++i) source += "# T" + std::to_string(i) + "\n";
  HelpDocument doc;
  TextError error;
  EXPECT_FALSE(parseHelpText(source, &doc, &error));
  EXPECT_EQ(error.line, 202u);
}

}  // namespace
}  // namespace helpfile
