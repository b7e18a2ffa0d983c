#pragma once
// A small reader of Windows Help 3.1 files, written from the format's
// description and the help viewer's rules rather than from our writer, so
// the tests see the file the way the viewer does: the directory, |SYSTEM,
// |FONT, |CONTEXT and the |TOPIC chain with its text.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace helpfile::testing {

struct ReadParagraph {
  std::string text;                  // strings joined; '\n' for each paragraph end
  std::vector<std::uint16_t> fonts;  // font commands, in order
  std::vector<std::uint32_t> jumps;  // context hashes of the jumps
  std::uint32_t chars = 0;           // what the record says it shows
  std::uint16_t attributes = 0;
};

struct ReadTopic {
  std::string title;
  std::uint32_t offset = 0;  // TOPICOFFSET, counted the viewer's way
  std::uint32_t number = 0;
  std::uint32_t browseBack = 0, browseForward = 0;
  std::vector<ReadParagraph> paragraphs;
};

struct ReadHelp {
  std::map<std::string, std::uint32_t> directory;  // name -> file offset
  std::uint16_t minor = 0, flags = 0;
  std::string title;
  std::uint32_t contentsOffset = 0xFFFFFFFF;
  std::vector<std::string> macros;
  std::vector<std::uint8_t> fontHalfPoints;
  std::map<std::uint32_t, std::uint32_t> contexts;  // hash -> TOPICOFFSET
  std::vector<ReadTopic> topics;
  std::size_t topicFileSize = 0;
};

// Reads `bytes`; false with the first problem found in `error`.
bool readHelpFile(const std::vector<std::uint8_t>& bytes, ReadHelp* out, std::string* error);

// The compressed numbers of the text records, decoded as the viewer does;
// `at` moves past the number.
std::int32_t readCompressedLong(const std::uint8_t* p, std::size_t* at);
std::uint16_t readCompressedUShort(const std::uint8_t* p, std::size_t* at);
std::int16_t readCompressedShort(const std::uint8_t* p, std::size_t* at);

}  // namespace helpfile::testing
