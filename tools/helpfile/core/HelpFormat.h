#pragma once
// The numbers of the Windows Help 3.1 file format that the writer and its
// tests share: magics, versions, sizes and the record and command codes we
// use. Everything in a help file is little-endian.
#include <cstdint>

namespace helpfile {

// The container: a 16-byte header, then internal files, each behind a
// 9-byte file header, found through the directory B+ tree.
inline constexpr std::uint32_t kFileMagic = 0x00035F3F;
inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kInternalHeaderSize = 9;  // reserved, used, flags
inline constexpr std::uint8_t kInternalFlags = 0x04;

// B+ trees (the directory and |CONTEXT). We write one leaf page per tree.
inline constexpr std::uint16_t kBTreeMagic = 0x293B;
inline constexpr std::size_t kBTreeHeaderSize = 38;
inline constexpr std::size_t kBTreeLeafHeaderSize = 8;  // unused, entries, previous, next
inline constexpr std::uint16_t kBTreeFlags = 0x0002;
inline constexpr std::uint16_t kDirectoryFlags = 0x0402;
inline constexpr std::uint16_t kDirectoryPageSize = 0x0400;
inline constexpr std::uint16_t kContextPageSize = 0x0800;
inline constexpr std::uint16_t kNoPage = 0xFFFF;

// |SYSTEM: help compiler 3.1 (version 1.21); flags 0 say the topic blocks
// are 4 KB and stored without compression.
inline constexpr std::uint16_t kSystemMagic = 0x036C;
inline constexpr std::uint16_t kSystemMajor = 1;
inline constexpr std::uint16_t kSystemMinor = 21;
inline constexpr std::uint16_t kSystemFlagsUncompressed4k = 0;
inline constexpr std::uint16_t kSystemTitle = 1;
inline constexpr std::uint16_t kSystemContents = 3;
inline constexpr std::uint16_t kSystemMacro = 4;

// |TOPIC: blocks of 4096 bytes, each a 12-byte header and 4084 bytes of
// the record stream. A TOPICPOS is block * 0x4000 + 12 + offset in the
// block's data; a TOPICOFFSET (what |CONTEXT and |SYSTEM point at) is
// block * 0x8000 + the characters of the text records that start earlier
// in the same block.
inline constexpr std::size_t kTopicBlockSize = 4096;
inline constexpr std::size_t kTopicBlockHeaderSize = 12;
inline constexpr std::size_t kTopicBlockData = kTopicBlockSize - kTopicBlockHeaderSize;
inline constexpr std::uint32_t kTopicPosBlock = 0x4000;
inline constexpr std::uint32_t kTopicOffsetBlock = 0x8000;
inline constexpr std::uint32_t kNone = 0xFFFFFFFF;

inline constexpr std::size_t kTopicLinkHeaderSize = 21;  // sizes, links, record type
inline constexpr std::size_t kTopicHeaderSize = 28;      // TOPICHEADER in a type-2 record
inline constexpr std::uint8_t kRecordTopicHeader = 0x02;
inline constexpr std::uint8_t kRecordText = 0x20;

// Paragraph attribute bits and the text commands we write.
inline constexpr std::uint16_t kParaSpaceBefore = 0x0002;
inline constexpr std::uint16_t kParaLeftIndent = 0x0010;
inline constexpr std::uint16_t kParaFirstIndent = 0x0040;
inline constexpr std::uint8_t kCmdFont = 0x80;
inline constexpr std::uint8_t kCmdParagraphEnd = 0x82;
inline constexpr std::uint8_t kCmdJump = 0xE3;   // followed by a context hash
inline constexpr std::uint8_t kCmdLinkEnd = 0x89;
inline constexpr std::uint8_t kCmdEnd = 0xFF;

// |FONT (3.1 layout): four counts and offsets, face names of 20 bytes,
// 11-byte descriptors.
inline constexpr std::size_t kFontHeaderSize = 8;
inline constexpr std::size_t kFaceNameSize = 20;
inline constexpr std::size_t kFontDescriptorSize = 11;
inline constexpr std::uint8_t kFontBold = 0x01;
inline constexpr std::uint8_t kFamilySwiss = 0x03;

// Limits of what we write: one leaf page per tree, 16-bit character counts.
inline constexpr std::size_t kMaxTopics = 200;
inline constexpr std::size_t kMaxTitle = 127;
inline constexpr std::size_t kMaxParagraph = 16000;

}  // namespace helpfile
