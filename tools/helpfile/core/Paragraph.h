#pragma once
// One text record of |TOPIC: a paragraph's format bytes (attributes, then
// commands) and its text, zero-terminated strings that alternate with the
// commands: string, command, string, command, ..., string, end.
#include <cstdint>
#include <string_view>

#include "Bytes.h"

namespace helpfile {

struct TextRecord {
  Bytes format;         // the record's LinkData1
  Bytes text;           // its LinkData2
  std::uint32_t chars;  // characters it shows, each command that draws one included
};

// The compressed numbers of the format bytes.
void putCompressedLong(Bytes& b, std::int32_t v);     // 2 or 4 bytes
void putCompressedUShort(Bytes& b, std::uint16_t v);  // 1 or 2 bytes
void putCompressedShort(Bytes& b, std::int16_t v);    // 1 or 2 bytes; -16383..16383

struct ParagraphStyle {
  std::int16_t spaceBefore = 0;
  std::int16_t leftIndent = 0;
};

class ParagraphBuilder {
 public:
  explicit ParagraphBuilder(const ParagraphStyle& style);
  void font(std::uint16_t index);
  void text(std::string_view s);
  void jump(std::uint32_t hash);  // the following text links to that topic
  void endLink();
  TextRecord finish();  // ends the paragraph

 private:
  void command(const Bytes& bytes, bool drawsCharacter);
  Bytes attributes_;
  Bytes commands_;
  Bytes strings_;
  Bytes current_;
  std::uint32_t chars_ = 0;
};

}  // namespace helpfile
