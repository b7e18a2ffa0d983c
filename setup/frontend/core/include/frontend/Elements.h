#pragma once
// Reading the elements of background items and dialog requests: each a
// 16-bit length and that many bytes, read only inside the statement's own
// bytes. Expression elements are computed with the script's engine (on the
// worker thread).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace setup {

class ElementReader {
 public:
  explicit ElementReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  // The next element's content, or false when its length runs past the
  // bytes (nothing is consumed then).
  bool next(std::span<const std::uint8_t>* content);
  // Steps over `count` bytes that are not an element (item headers).
  bool skip(std::size_t count);
  // Bytes consumed so far.
  std::size_t consumed() const { return at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// The text an expression element stands for: its result's string, or the
// decimal text of its number when it has none ("" when it is malformed),
// cut to at most `limit` bytes.
std::string expressionText(std::span<const std::uint8_t> content, std::size_t limit);
// The expression's number (0 when it is malformed).
std::int32_t expressionNumber(std::span<const std::uint8_t> content);
// The variable index of the expression's result (a bare variable
// reference), or -1.
std::int32_t expressionVariable(std::span<const std::uint8_t> content);
// A code element's first byte, or `fallback` when it is empty.
std::uint8_t codeOf(std::span<const std::uint8_t> content, std::uint8_t fallback);

// Copies `text` into a fixed buffer of `size` bytes, cut to size - 1 and
// NUL-terminated.
void copyCut(std::string_view text, char* buffer, std::size_t size);

}  // namespace setup
