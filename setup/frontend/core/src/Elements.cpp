#include "frontend/Elements.h"

#include <cstring>

#include "setup/ScriptMachine.h"

namespace setup {

bool ElementReader::next(std::span<const std::uint8_t>* content) {
  if (bytes_.size() - at_ < 2) return false;
  const std::size_t length = static_cast<std::size_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
  if (bytes_.size() - at_ - 2 < length) return false;
  *content = bytes_.subspan(at_ + 2, length);
  at_ += 2 + length;
  return true;
}

bool ElementReader::skip(std::size_t count) {
  if (bytes_.size() - at_ < count) return false;
  at_ += count;
  return true;
}

namespace {

// Computes the expression only when its own count fits in the element.
bool compute(std::span<const std::uint8_t> content) {
  const std::size_t size = expressionSize(content);
  return size != 0 && size <= content.size() && evalExpression(content.first(size)) == 1;
}

}  // namespace

std::string expressionText(std::span<const std::uint8_t> content, std::size_t limit) {
  if (!compute(content)) return {};
  const Value& result = valueStack().top();
  std::string text = result.string ? std::string(result.string) : std::to_string(result.number);
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::int32_t expressionNumber(std::span<const std::uint8_t> content) {
  return compute(content) ? valueStack().top().number : 0;
}

std::int32_t expressionVariable(std::span<const std::uint8_t> content) {
  return compute(content) ? valueStack().top().variableIndex : -1;
}

std::uint8_t codeOf(std::span<const std::uint8_t> content, std::uint8_t fallback) {
  return content.empty() ? fallback : content[0];
}

void copyCut(std::string_view text, char* buffer, std::size_t size) {
  if (size == 0) return;
  const std::size_t n = text.size() < size ? text.size() : size - 1;
  if (n) std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace setup
