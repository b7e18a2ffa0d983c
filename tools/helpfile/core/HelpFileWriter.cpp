#include "HelpFileWriter.h"

#include <vector>

#include "Container.h"
#include "ContextFile.h"
#include "ContextHash.h"
#include "FontFile.h"
#include "HelpFormat.h"
#include "Paragraph.h"
#include "SystemFile.h"
#include "TopicFile.h"

namespace helpfile {
namespace {

constexpr std::int16_t kParagraphGap = 12;
constexpr std::int16_t kListGap = 6;
constexpr std::int16_t kListIndent = 24;
constexpr char kBullet[] = "\x95 ";

TextRecord heading(const std::string& title) {
  ParagraphBuilder p({});
  p.font(kHeadingFont);
  p.text(title);
  return p.finish();
}

TextRecord body(const HelpParagraph& para) {
  ParagraphBuilder p({para.bullet ? kListGap : kParagraphGap, para.bullet ? kListIndent : std::int16_t{0}});
  p.font(kBodyFont);
  if (para.bullet) p.text(kBullet);
  p.text(para.text);
  return p.finish();
}

TextRecord jumpTo(std::size_t topic, const std::string& title) {
  ParagraphBuilder p({kListGap, kListIndent});
  p.font(kBodyFont);
  p.jump(contextHash(topicContextName(topic)));
  p.text(title);
  p.endLink();
  return p.finish();
}

}  // namespace

std::string topicContextName(std::size_t index) { return "topic_" + std::to_string(index); }

bool writeHelpFile(const HelpDocument& doc, Bytes* out, std::string* error) {
  if (doc.topics.empty()) {
    *error = "the help file has no topics";
    return false;
  }
  if (doc.topics.size() > kMaxTopics) {
    *error = "more than " + std::to_string(kMaxTopics) + " topics";
    return false;
  }
  // Text is stored as zero-terminated strings: a NUL would cut it short and
  // shift every later string against its format command.
  const auto badText = [](const std::string& s) { return s.find('\0') != std::string::npos; };
  if (doc.title.size() > kMaxTitle || badText(doc.title)) {
    *error = "the title is longer than " + std::to_string(kMaxTitle) + " characters or holds a NUL";
    return false;
  }
  std::vector<TopicSource> topics;
  for (std::size_t t = 0; t < doc.topics.size(); ++t) {
    const HelpTopic& topic = doc.topics[t];
    if (topic.title.size() > kMaxTitle || badText(topic.title)) {
      *error = "topic " + std::to_string(t) + ": the title is longer than " + std::to_string(kMaxTitle) +
               " characters or holds a NUL";
      return false;
    }
    TopicSource source{topic.title, {heading(topic.title)}};
    for (const HelpParagraph& para : topic.paragraphs) {
      if (badText(para.text)) {
        *error = "a paragraph of \"" + topic.title + "\" holds a NUL";
        return false;
      }
      if (para.text.size() > kMaxParagraph) {
        *error = "a paragraph of \"" + topic.title + "\" is longer than " + std::to_string(kMaxParagraph) + " characters";
        return false;
      }
      source.paragraphs.push_back(body(para));
    }
    if (t == 0)
      for (std::size_t other = 1; other < doc.topics.size(); ++other)
        source.paragraphs.push_back(jumpTo(other, doc.topics[other].title));
    topics.push_back(std::move(source));
  }
  const TopicLayout layout = buildTopicFile(topics);

  std::vector<ContextEntry> contexts;
  for (std::size_t t = 0; t < topics.size(); ++t)
    contexts.push_back({contextHash(topicContextName(t)), layout.topicOffsets[t]});
  Bytes context;
  if (!buildContextFile(contexts, &context, error)) return false;

  SystemInfo system{doc.title, layout.topicOffsets[0], {}};
  if (doc.topics.size() > 1) system.macros.push_back("BrowseButtons()");
  const Bytes fonts = buildFontFile({"Arial"}, {{0, 20, kFamilySwiss, 0}, {kFontBold, 28, kFamilySwiss, 0}});

  return buildContainer({{"|CONTEXT", context},
                         {"|FONT", fonts},
                         {"|SYSTEM", buildSystemFile(system)},
                         {"|TOPIC", layout.bytes}},
                        out, error);
}

}  // namespace helpfile
