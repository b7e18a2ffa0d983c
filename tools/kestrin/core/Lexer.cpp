#include "Lexer.h"

#include <cctype>

namespace kestrin {
namespace {

bool nameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool nameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool entryChar(char c) { return nameChar(c) || c == '.' || c == '-'; }

}  // namespace

bool tokenize(std::string_view src, std::vector<Token>* out, std::string* error) {
  int line = 1, col = 1;
  int startLine = 1, startCol = 1;  // where the current token began
  std::size_t i = 0;
  auto fail = [&](const std::string& msg) {
    *error = std::to_string(startLine) + ":" + std::to_string(startCol) + ": " + msg;
    return false;
  };
  auto advance = [&](std::size_t n) {
    for (std::size_t k = 0; k < n && i < src.size(); ++k, ++i) {
      if (src[i] == '\n') {
        ++line;
        col = 1;
      } else {
        ++col;
      }
    }
  };
  // A string literal's body after its opening quote, with escapes.
  auto readString = [&](std::string* text) {
    while (i < src.size() && src[i] != '"') {
      char c = src[i];
      if (c == '\n') return fail("string not closed on its line");
      if (c == '\\') {
        if (i + 1 >= src.size()) return fail("escape at the end of the file");
        const char e = src[i + 1];
        if (e == 'n') *text += '\n';
        else if (e == 't') *text += '\t';
        else if (e == 'r') *text += '\r';
        else if (e == '\\' || e == '"') *text += e;
        else if (e == 'x' && i + 3 < src.size() && std::isxdigit(static_cast<unsigned char>(src[i + 2])) &&
                 std::isxdigit(static_cast<unsigned char>(src[i + 3]))) {
          *text += static_cast<char>(std::stoi(std::string(src.substr(i + 2, 2)), nullptr, 16));
          advance(2);
        } else {
          return fail(std::string("unknown escape \\") + e);
        }
        advance(2);
        continue;
      }
      *text += c;
      advance(1);
    }
    if (i >= src.size()) return fail("string not closed");
    advance(1);
    return true;
  };
  while (i < src.size()) {
    const char c = src[i];
    Token t;
    t.line = startLine = line;
    t.column = startCol = col;
    if (c == '#') {
      while (i < src.size() && src[i] != '\n') advance(1);
      continue;
    }
    if (c == '\n' || c == ';') {
      t.kind = Token::Newline;
      advance(1);
    } else if (c == ' ' || c == '\t' || c == '\r') {
      advance(1);
      continue;
    } else if (nameStart(c)) {
      t.kind = Token::Name;
      while (i < src.size() && nameChar(src[i])) {
        t.text += src[i];
        advance(1);
      }
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      t.kind = Token::Number;
      std::size_t start = i;
      int base = 10;
      if (c == '0' && i + 1 < src.size() && (src[i + 1] == 'x' || src[i + 1] == 'X')) {
        base = 16;
        advance(2);
        start = i;
      }
      while (i < src.size() && std::isxdigit(static_cast<unsigned char>(src[i]))) {
        if (base == 10 && !std::isdigit(static_cast<unsigned char>(src[i]))) break;
        advance(1);
      }
      const std::string digits(src.substr(start, i - start));
      if (digits.empty() || digits.size() > 10) return fail("number out of range");
      t.number = std::stoll(digits, nullptr, base);
      if (t.number > 0xFFFFFFFFll) return fail("number out of range");
      if (i < src.size() && nameChar(src[i])) return fail("bad number");
    } else if (c == '"') {
      t.kind = Token::String;
      advance(1);
      if (!readString(&t.text)) return false;
    } else if (c == '@') {
      // A pack entry: @name or @"name", the name marked with '@'.
      t.kind = Token::String;
      t.text = "@";
      advance(1);
      if (i < src.size() && src[i] == '"') {
        advance(1);
        if (!readString(&t.text)) return false;
      } else {
        while (i < src.size() && entryChar(src[i])) {
          t.text += src[i];
          advance(1);
        }
        if (t.text.size() == 1) return fail("a pack entry name must follow '@'");
      }
    } else {
      static const char* const two[] = {"==", "!=", "<=", ">=", "&&", "||"};
      t.kind = Token::Punct;
      for (const char* p : two)
        if (src.substr(i, 2) == p) t.text = p;
      if (t.text.empty()) {
        if (std::string_view("(){},:=<>+-*/!|").find(c) == std::string_view::npos)
          return fail(std::string("unexpected character '") + c + "'");
        t.text = std::string(1, c);
      }
      advance(t.text.size());
    }
    out->push_back(std::move(t));
  }
  Token end;
  end.line = line;
  end.column = col;
  out->push_back(end);
  return true;
}

}  // namespace kestrin
