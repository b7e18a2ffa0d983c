#include "TopicFile.h"

#include "HelpFormat.h"

namespace helpfile {
namespace {

struct Record {
  std::uint8_t type;
  Bytes format;  // LinkData1; a topic header's is filled in once positions are known
  Bytes text;    // LinkData2
  std::uint32_t chars = 0;
  std::size_t topic = 0;
  std::size_t at = 0;  // where it starts in the block data laid end to end
  std::size_t size() const { return kTopicLinkHeaderSize + format.size() + text.size(); }
};

std::uint32_t topicPos(std::size_t at) {
  return static_cast<std::uint32_t>((at / kTopicBlockData) * kTopicPosBlock + kTopicBlockHeaderSize + at % kTopicBlockData);
}

}  // namespace

TopicLayout buildTopicFile(const std::vector<TopicSource>& topics) {
  std::vector<Record> records;
  std::vector<std::size_t> headers;  // index of each topic's header record
  for (std::size_t t = 0; t < topics.size(); ++t) {
    headers.push_back(records.size());
    Record h{kRecordTopicHeader, Bytes(kTopicHeaderSize, 0), {}, 0, t, 0};
    putText(h.text, topics[t].title);
    records.push_back(std::move(h));
    for (const TextRecord& p : topics[t].paragraphs) records.push_back({kRecordText, p.format, p.text, p.chars, t, 0});
  }

  // Positions, and the character offsets the viewer counts per block.
  TopicLayout layout;
  std::size_t at = 0;
  std::size_t block = SIZE_MAX;
  std::uint32_t chars = 0;
  for (Record& r : records) {
    r.at = at;
    at += r.size();
    if (r.at / kTopicBlockData != block) block = r.at / kTopicBlockData, chars = 0;
    if (r.type == kRecordTopicHeader)
      layout.topicOffsets.push_back(static_cast<std::uint32_t>(block * kTopicOffsetBlock + chars));
    chars += r.chars;
  }
  const std::size_t dataSize = at;

  std::vector<std::uint32_t> topicBytes(topics.size(), 0);
  for (const Record& r : records) topicBytes[r.topic] += static_cast<std::uint32_t>(r.size());
  for (std::size_t t = 0; t < topics.size(); ++t) {
    const bool last = t + 1 == topics.size();
    const std::size_t h = headers[t];
    Bytes& f = records[h].format;
    f.clear();
    put32(f, topicBytes[t]);
    put32(f, t == 0 ? kNone : layout.topicOffsets[t - 1]);  // browse back
    put32(f, last ? kNone : layout.topicOffsets[t + 1]);    // browse forward
    put32(f, static_cast<std::uint32_t>(t));
    put32(f, kNone);  // no non-scrolling region
    const bool hasText = h + 1 < records.size() && records[h + 1].topic == t;
    put32(f, hasText ? topicPos(records[h + 1].at) : kNone);
    put32(f, last ? kNone : topicPos(records[headers[t + 1]].at));
  }

  // The chain laid end to end...
  Bytes data;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    put32(data, static_cast<std::uint32_t>(r.size()));
    put32(data, static_cast<std::uint32_t>(r.text.size()));
    put32(data, i == 0 ? kNone : topicPos(records[i - 1].at));
    put32(data, i + 1 == records.size() ? kNone : topicPos(records[i + 1].at));
    put32(data, static_cast<std::uint32_t>(kTopicLinkHeaderSize + r.format.size()));
    put8(data, r.type);
    putBytes(data, r.format);
    putBytes(data, r.text);
  }

  // ...then cut into blocks, each behind its header. The last block is
  // padded to full size: readers copy whole blocks.
  const std::size_t blocks = dataSize == 0 ? 1 : (dataSize + kTopicBlockData - 1) / kTopicBlockData;
  data.resize(blocks * kTopicBlockData, 0);
  std::size_t next = 0;  // first record not yet before the current block
  std::uint32_t lastLink = kNone, lastHeader = kNone;
  for (std::size_t k = 0; k < blocks; ++k) {
    std::uint32_t first = kNone;
    std::uint32_t lastLinkHere = lastLink, lastHeaderHere = lastHeader;
    for (; next < records.size() && records[next].at / kTopicBlockData == k; ++next) {
      const std::uint32_t pos = topicPos(records[next].at);
      if (first == kNone) first = pos;
      lastLinkHere = pos;
      if (records[next].type == kRecordTopicHeader) lastHeaderHere = pos;
    }
    put32(layout.bytes, lastLink);    // last record of the blocks before
    put32(layout.bytes, first);       // first record starting here
    put32(layout.bytes, lastHeader);  // last topic header before this block
    layout.bytes.insert(layout.bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(k * kTopicBlockData),
                        data.begin() + static_cast<std::ptrdiff_t>((k + 1) * kTopicBlockData));
    lastLink = lastLinkHere;
    lastHeader = lastHeaderHere;
  }
  return layout;
}

}  // namespace helpfile
