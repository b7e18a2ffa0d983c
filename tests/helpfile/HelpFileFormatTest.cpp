// The written help file read back the way the help viewer reads it: the
// internal file system, |SYSTEM, |FONT, |CONTEXT and the |TOPIC chain.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ContextHash.h"
#include "HelpFileReader.h"
#include "HelpFileWriter.h"
#include "HelpFormat.h"
#include "Paragraph.h"

namespace helpfile {
namespace {

using testing::ReadHelp;

ReadHelp writeAndRead(const HelpDocument& doc) {
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(writeHelpFile(doc, &bytes, &error)) << error;
  ReadHelp help;
  EXPECT_TRUE(testing::readHelpFile(bytes, &help, &error)) << error;
  return help;
}

HelpDocument threeTopics() {
  return {"Velmora Help",
          {{"Velmora Help", {{"Makes new wallpapers.", false}, {"Caf\xE9 \x80 5", false}}},
           {"Width and height", {{"The size in pixels.", false}, {"at least 1", true}}},
           {"Colours", {}}}};
}

TEST(HelpFile, SystemNamesTheFormatTitleAndContents) {
  const ReadHelp help = writeAndRead(threeTopics());
  EXPECT_EQ(help.minor, kSystemMinor);
  EXPECT_EQ(help.flags, 0) << "uncompressed 4 KB topic blocks";
  EXPECT_EQ(help.title, "Velmora Help");
  ASSERT_EQ(help.topics.size(), 3u);
  EXPECT_EQ(help.contentsOffset, help.topics[0].offset);
  EXPECT_EQ(help.macros, std::vector<std::string>{"BrowseButtons()"});
  std::vector<std::string> names;
  for (const auto& [name, offset] : help.directory) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"|CONTEXT", "|FONT", "|SYSTEM", "|TOPIC"}));
  EXPECT_EQ(help.fontHalfPoints.size(), 2u);
  EXPECT_EQ(help.topicFileSize % kTopicBlockSize, 0u) << "whole blocks: the viewer copies them whole";
}

TEST(HelpFile, TopicsHoldTheirTitleHeadingAndParagraphs) {
  const ReadHelp help = writeAndRead(threeTopics());
  ASSERT_EQ(help.topics.size(), 3u);
  const auto& contents = help.topics[0];
  EXPECT_EQ(contents.title, "Velmora Help");
  ASSERT_EQ(contents.paragraphs.size(), 5u) << "heading, two paragraphs, two jumps";
  EXPECT_EQ(contents.paragraphs[0].text, "Velmora Help\n");
  EXPECT_EQ(contents.paragraphs[0].fonts, std::vector<std::uint16_t>{kHeadingFont});
  EXPECT_EQ(contents.paragraphs[1].text, "Makes new wallpapers.\n");
  EXPECT_EQ(contents.paragraphs[1].fonts, std::vector<std::uint16_t>{kBodyFont});
  EXPECT_EQ(contents.paragraphs[2].text, "Caf\xE9 \x80 5\n") << "Windows-1252 bytes kept";

  const auto& size = help.topics[1];
  EXPECT_EQ(size.title, "Width and height");
  ASSERT_EQ(size.paragraphs.size(), 3u);
  EXPECT_EQ(size.paragraphs[2].text, "\x95 at least 1\n");
  EXPECT_TRUE(size.paragraphs[2].attributes & kParaLeftIndent) << "list items are indented";
  EXPECT_FALSE(size.paragraphs[1].attributes & kParaLeftIndent);

  ASSERT_EQ(help.topics[2].paragraphs.size(), 1u) << "a topic without text still shows its heading";
  for (std::size_t t = 0; t < 3; ++t) EXPECT_EQ(help.topics[t].number, t);
}

TEST(HelpFile, ContentsJumpsReachEveryOtherTopicThroughTheContextMap) {
  const ReadHelp help = writeAndRead(threeTopics());
  ASSERT_EQ(help.topics.size(), 3u);
  ASSERT_EQ(help.contexts.size(), 3u);
  const auto& contents = help.topics[0].paragraphs;
  for (std::size_t t = 1; t < 3; ++t) {
    const auto& jump = contents[2 + t];
    EXPECT_EQ(jump.text, help.topics[t].title + "\n");
    ASSERT_EQ(jump.jumps.size(), 1u);
    const auto target = help.contexts.find(jump.jumps[0]);
    ASSERT_NE(target, help.contexts.end()) << "jump to a hash the map does not hold";
    EXPECT_EQ(target->second, help.topics[t].offset) << "jump lands on the wrong topic";
  }
  EXPECT_EQ(help.contexts.at(contextHash(topicContextName(0))), help.topics[0].offset);
}

TEST(HelpFile, BrowseSequenceLinksNeighbours) {
  const ReadHelp help = writeAndRead(threeTopics());
  ASSERT_EQ(help.topics.size(), 3u);
  EXPECT_EQ(help.topics[0].browseBack, kNone);
  EXPECT_EQ(help.topics[0].browseForward, help.topics[1].offset);
  EXPECT_EQ(help.topics[1].browseBack, help.topics[0].offset);
  EXPECT_EQ(help.topics[1].browseForward, help.topics[2].offset);
  EXPECT_EQ(help.topics[2].browseForward, kNone);
}

TEST(HelpFile, OneTopicHasNoJumpsOrBrowseButtons) {
  const ReadHelp help = writeAndRead({"Only", {{"Only", {{"Just this.", false}}}}});
  ASSERT_EQ(help.topics.size(), 1u);
  EXPECT_TRUE(help.macros.empty());
  EXPECT_EQ(help.topics[0].paragraphs.size(), 2u);
  EXPECT_EQ(help.contexts.size(), 1u);
}

// Long text: records cross block boundaries, topics start in later blocks,
// and character offsets restart per block.
TEST(HelpFile, TextAcrossManyBlocksReadsBackWhole) {
  HelpDocument doc{"Long", {}};
  for (int t = 0; t < 30; ++t) {
    HelpTopic topic{"Topic " + std::to_string(t), {}};
    for (int p = 0; p < 4; ++p) {
      std::string text;
      for (int w = 0; text.size() < 300u + 250u * static_cast<unsigned>(p); ++w) text += "w" + std::to_string(t * 1000 + p * 100 + w) + " ";
      topic.paragraphs.push_back({text, p == 3});
    }
    doc.topics.push_back(std::move(topic));
  }
  doc.topics[5].paragraphs.push_back({std::string(kMaxParagraph, 'x'), false});  // a 4-byte size field

  const ReadHelp help = writeAndRead(doc);
  ASSERT_EQ(help.topics.size(), doc.topics.size());
  EXPECT_GT(help.topicFileSize / kTopicBlockSize, 10u);
  for (std::size_t t = 0; t < doc.topics.size(); ++t) {
    const auto& got = help.topics[t];
    ASSERT_EQ(got.paragraphs.size(), 1 + doc.topics[t].paragraphs.size() + (t == 0 ? doc.topics.size() - 1 : 0));
    for (std::size_t p = 0; p < doc.topics[t].paragraphs.size(); ++p) {
      const auto& want = doc.topics[t].paragraphs[p];
      EXPECT_EQ(got.paragraphs[1 + p].text, (want.bullet ? "\x95 " : "") + want.text + "\n") << "topic " << t << " paragraph " << p;
    }
    EXPECT_EQ(help.contexts.at(contextHash(topicContextName(t))), got.offset) << "topic " << t;
  }
}

TEST(HelpFile, SameDocumentSameBytes) {
  Bytes a, b;
  std::string error;
  ASSERT_TRUE(writeHelpFile(threeTopics(), &a, &error));
  ASSERT_TRUE(writeHelpFile(threeTopics(), &b, &error));
  EXPECT_EQ(a, b);
}

TEST(HelpFile, RefusesWhatItCannotWrite) {
  Bytes out;
  std::string error;
  EXPECT_FALSE(writeHelpFile({"Empty", {}}, &out, &error));
  EXPECT_NE(error.find("no topics"), std::string::npos) << error;

  HelpDocument many{"Many", std::vector<HelpTopic>(kMaxTopics + 1, HelpTopic{"t", {}})};
  EXPECT_FALSE(writeHelpFile(many, &out, &error));
  EXPECT_NE(error.find("topics"), std::string::npos) << error;

  HelpDocument longText{"Long", {{"Long", {{std::string(kMaxParagraph + 1, 'x'), false}}}}};
  EXPECT_FALSE(writeHelpFile(longText, &out, &error));
  EXPECT_NE(error.find("longer than"), std::string::npos) << error;

  using namespace std::string_literals;
  const HelpDocument withNul[] = {
      {"Ti\0tle"s, {{"T", {}}}},
      {"Title", {{"T\0"s, {}}}},
      {"Title", {{"T", {{"a\0b"s, false}}}}},
      {std::string(kMaxTitle + 1, 't'), {{"T", {}}}},
  };
  for (const HelpDocument& doc : withNul) {
    error.clear();
    EXPECT_FALSE(writeHelpFile(doc, &out, &error)) << doc.title;
    EXPECT_FALSE(error.empty());
  }
}

// Every value through the writer's encoding and the viewer's decoding, and
// the width chosen at each boundary.
TEST(HelpFile, CompressedNumbersDecodeAsWritten) {
  struct Case {
    int from, to;
    void (*put)(Bytes&, int);
    int (*get)(const std::uint8_t*, std::size_t*);
    int shortUpTo;   // last value written in the short form
    int shortFrom;   // first value written in the short form
    std::size_t shortSize, longSize;
  };
  const Case cases[] = {
      {-70000, 70000, [](Bytes& b, int v) { putCompressedLong(b, v); },
       [](const std::uint8_t* p, std::size_t* at) { return static_cast<int>(testing::readCompressedLong(p, at)); },
       0x3FFF, -0x4000, 2, 4},
      {0, 0x7FFF, [](Bytes& b, int v) { putCompressedUShort(b, static_cast<std::uint16_t>(v)); },
       [](const std::uint8_t* p, std::size_t* at) { return static_cast<int>(testing::readCompressedUShort(p, at)); },
       0x7F, 0, 1, 2},
      {-0x3FFF, 0x3FFF, [](Bytes& b, int v) { putCompressedShort(b, static_cast<std::int16_t>(v)); },
       [](const std::uint8_t* p, std::size_t* at) { return static_cast<int>(testing::readCompressedShort(p, at)); },
       0x3F, -0x40, 1, 2},
  };
  for (const Case& c : cases) {
    for (int v = c.from; v <= c.to; ++v) {
      Bytes b;
      c.put(b, v);
      std::size_t at = 0;
      ASSERT_EQ(c.get(b.data(), &at), v);
      ASSERT_EQ(at, b.size()) << v;
      ASSERT_EQ(b.size(), v >= c.shortFrom && v <= c.shortUpTo ? c.shortSize : c.longSize) << v;
    }
  }
}

TEST(HelpFile, ContextHashMatchesTheViewers) {
  struct Case {
    const char* name;
    std::uint32_t hash;
  };
  // Worked by hand: letters 17.., digits 1..9, '0' 10, '.' 12, '_' 13.
  const Case cases[] = {
      {"", 0},
      {"a", 17},
      {"Ab", 17 * 43 + 18},
      {"a-b", 17 * 43 + 18},
      {"0", 10},
      {"9", 9},
      {"._", 12 * 43 + 13},
      {"topic_1", (((((36u * 43 + 31) * 43 + 32) * 43 + 25) * 43 + 19) * 43 + 13) * 43 + 1},  // wraps
  };
  for (const Case& c : cases) EXPECT_EQ(contextHash(c.name), c.hash) << c.name;
  // Wraps at 32 bits: 42 * 43^6 + ... overflows; computed in 64 bits here.
  std::uint64_t wide = 0;
  for (int i = 0; i < 9; ++i) wide = wide * 43 + 42;
  EXPECT_EQ(contextHash("zzzzzzzzz"), static_cast<std::uint32_t>(wide));
}

}  // namespace
}  // namespace helpfile
