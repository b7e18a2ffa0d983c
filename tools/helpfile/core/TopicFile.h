#pragma once
// |TOPIC: every topic as a topic-header record and its text records, one
// doubly linked chain, cut into 4 KB blocks stored without compression.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"
#include "Paragraph.h"

namespace helpfile {

struct TopicSource {
  std::string title;  // Windows-1252
  std::vector<TextRecord> paragraphs;
};

struct TopicLayout {
  Bytes bytes;
  std::vector<std::uint32_t> topicOffsets;  // each topic's TOPICOFFSET
};

TopicLayout buildTopicFile(const std::vector<TopicSource>& topics);

}  // namespace helpfile
