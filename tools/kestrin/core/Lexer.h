#pragma once
// Tokens of the script language.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

struct Token {
  enum Kind { End, Newline, Name, Number, String, Punct } kind = End;
  std::string text;  // name, punctuation, or the string's bytes
  std::int64_t number = 0;
  int line = 1;
  int column = 1;
};

// Splits the source; false with `error` set ("line:column: message").
bool tokenize(std::string_view source, std::vector<Token>* tokens, std::string* error);

}  // namespace kestrin
