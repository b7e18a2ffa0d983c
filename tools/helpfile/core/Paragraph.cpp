#include "Paragraph.h"

#include "HelpFormat.h"

namespace helpfile {

void putCompressedLong(Bytes& b, std::int32_t v) {
  if (v >= -0x4000 && v < 0x4000) {
    put16(b, static_cast<std::uint16_t>(0x8000 + 2 * v));
  } else {
    // The long forms are odd and read back as (x - bias) / 2, which rounds
    // toward zero: one less for negative values.
    put32(b, 0x80000000u + 2u * static_cast<std::uint32_t>(v) + (v < 0 ? 0xFFFFFFFFu : 1u));
  }
}

void putCompressedUShort(Bytes& b, std::uint16_t v) {
  if (v < 0x80) {
    put8(b, static_cast<std::uint8_t>(2 * v));
  } else {
    put16(b, static_cast<std::uint16_t>(2 * v + 1));
  }
}

void putCompressedShort(Bytes& b, std::int16_t v) {
  if (v >= -0x40 && v < 0x40) {
    put8(b, static_cast<std::uint8_t>(0x80 + 2 * v));
  } else {
    put16(b, static_cast<std::uint16_t>(0x8000 + 2 * v + (v < 0 ? -1 : 1)));
  }
}

ParagraphBuilder::ParagraphBuilder(const ParagraphStyle& style) {
  put8(attributes_, 0x00);  // unknown, 0 in compiled files
  put8(attributes_, 0x80);  // a biased 0
  put16(attributes_, 0);    // paragraph id
  std::uint16_t bits = 0;
  if (style.spaceBefore != 0) bits |= kParaSpaceBefore;
  if (style.leftIndent != 0) bits |= kParaLeftIndent;
  put16(attributes_, bits);
  if (style.spaceBefore != 0) putCompressedShort(attributes_, style.spaceBefore);
  if (style.leftIndent != 0) putCompressedShort(attributes_, style.leftIndent);
}

void ParagraphBuilder::command(const Bytes& bytes, bool drawsCharacter) {
  putBytes(strings_, current_);
  put8(strings_, 0);
  current_.clear();
  putBytes(commands_, bytes);
  if (drawsCharacter) ++chars_;
}

void ParagraphBuilder::font(std::uint16_t index) {
  Bytes c{kCmdFont};
  put16(c, index);
  command(c, false);
}

void ParagraphBuilder::text(std::string_view s) {
  putText(current_, s);
  chars_ += static_cast<std::uint32_t>(s.size());
}

void ParagraphBuilder::jump(std::uint32_t hash) {
  Bytes c{kCmdJump};
  put32(c, hash);
  command(c, false);
}

void ParagraphBuilder::endLink() { command({kCmdLinkEnd}, false); }

TextRecord ParagraphBuilder::finish() {
  command({kCmdParagraphEnd}, true);
  putBytes(strings_, current_);
  put8(strings_, 0);
  current_.clear();
  put8(commands_, kCmdEnd);

  TextRecord r;
  putCompressedLong(r.format, static_cast<std::int32_t>(strings_.size()));
  putCompressedUShort(r.format, static_cast<std::uint16_t>(chars_));
  putBytes(r.format, attributes_);
  putBytes(r.format, commands_);
  r.text = strings_;
  r.chars = chars_;
  return r;
}

}  // namespace helpfile
