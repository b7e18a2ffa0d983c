#include "ScriptCheck.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Language.h"
#include "setup/Bytecode.h"
#include "setup/ScriptMachine.h"

namespace kestrin {
namespace {

using namespace setup;  // the bytecode's codes
using Span = std::span<const std::uint8_t>;
using Problem = std::optional<std::string>;

// Positions in the code are 16-bit.
constexpr std::size_t kLongestCode = 0xFFFF;
// An opcode and a 16-bit count (or GOTO's target).
constexpr std::size_t kStatementHead = 3;
// LOADENTRY's body: three unread bytes and the variable index before its expression.
constexpr std::size_t kLoadEntryHead = 5;
// A background item's header: two unread bytes and the kind.
constexpr std::size_t kItemHead = 3;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::string hex(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

std::string at(std::size_t offset) { return " at byte " + std::to_string(offset); }

// Checks the pieces of one statement. Offsets in messages count from the
// statement's opcode.
class Checker {
 public:
  explicit Checker(std::uint32_t variables) : n_(variables) {}

  Problem variable(std::uint32_t index, std::size_t offset) const {
    if (index < kFirstSystemIndex ? index < n_ : systemVarName(index).has_value()) return std::nullopt;
    return "variable index " + std::to_string(index) + at(offset) + " names neither one of the " +
           std::to_string(n_) + " script variables nor a system variable";
  }

  Problem scriptVariable(std::uint32_t index, std::size_t offset, const char* what) const {
    if (index < kFirstSystemIndex && index < n_) return std::nullopt;
    return std::string(what) + at(offset) + " is variable index " + std::to_string(index) + ", not one of the " +
           std::to_string(n_) + " script variables";
  }

  // The expression at the start of `b` (its count first), `offset` bytes
  // into the statement; `size` receives the bytes it occupies.
  Problem expression(Span b, std::size_t offset, std::size_t* size) const {
    if (b.size() < 2) return "the expression" + at(offset) + " has no room for its count";
    *size = expressionSize(b);
    if (*size == 0)
      return "the expression" + at(offset) + " counts " + std::to_string(le16(b.data())) + " bytes of tokens, but only " +
             std::to_string(b.size() - 2) + " follow it";
    std::size_t depth = 0;
    std::vector<std::int32_t> indices;  // the variable index of each stack entry, -1 when computed
    std::size_t i = 2;
    while (i < *size) {
      const std::size_t left = *size - i;
      const std::uint8_t code = b[i];
      const std::size_t where = offset + i;
      std::size_t tokenSize = 0;
      if (code == kTokenString) {
        tokenSize = left < kStringTokenHead ? left + 1 : kStringTokenHead + le16(&b[i + 1]);
      } else if (code == kTokenNumber) {
        tokenSize = kNumberTokenSize;
      } else if (code == kTokenVariable) {
        tokenSize = kVariableTokenSize;
      } else if (code == kTokenOperator) {
        tokenSize = kOperatorTokenSize;
      } else {
        return "token code " + hex(code) + at(where) + " is not a token";
      }
      if (tokenSize > left) return "the token" + at(where) + " runs past the end of its expression";
      if (code == kTokenOperator) {
        const std::uint8_t op = b[i + 2];
        const bool unary = op == kOpNot || op == kOpNegate;
        const bool binary = op == kOpAssign || std::any_of(std::begin(kBinaryOperators), std::end(kBinaryOperators),
                                                           [&](const BinaryOperator& o) { return o.code == op; });
        if (!unary && !binary) return "operator code " + std::to_string(op) + at(where) + " is not an operator";
        if (depth < (unary ? 1u : 2u)) return "the operator" + at(where) + " lacks an operand";
        if (op == kOpAssign && (indices[depth - 2] < 0 || indices[depth - 2] >= static_cast<std::int32_t>(kFirstSystemIndex)))
          return "the assignment" + at(where) + " has no script variable on its left";
        if (unary) {
          indices[depth - 1] = -1;
        } else {
          indices[depth - 2] = op == kOpAssign ? indices[depth - 1] : -1;
          --depth;
          indices.pop_back();
        }
      } else {
        std::int32_t index = -1;
        if (code == kTokenVariable) {
          index = le16(&b[i + 2]);
          if (auto p = variable(static_cast<std::uint32_t>(index), where)) return p;
        }
        if (depth == kStackDepth)
          return "the expression" + at(offset) + " needs more than the " + std::to_string(kStackDepth) +
                 " entries of the value stack";
        ++depth;
        indices.push_back(index);
      }
      i += tokenSize;
    }
    if (depth == 0) return "the expression" + at(offset) + " leaves no value";
    return std::nullopt;
  }

  // `count` expressions one after the other that fill `b` exactly.
  Problem expressions(Span b, std::size_t offset, int count) const {
    for (int k = 0; k < count; ++k) {
      std::size_t size = 0;
      if (auto p = expression(b, offset, &size)) return p;
      b = b.subspan(size);
      offset += size;
    }
    return rest(b, offset, "its last operand");
  }

  static Problem rest(Span b, std::size_t offset, const char* after) {
    if (b.empty()) return std::nullopt;
    return "the statement has " + std::to_string(b.size()) + (b.size() == 1 ? " byte" : " bytes") + " after " + after +
           "," + at(offset);
  }

  // One element at the start of `b`: `content` receives it, `b` and
  // `offset` move past it.
  static Problem element(Span& b, std::size_t& offset, Span* content, const char* what) {
    if (b.size() < 2) return std::string("the ") + what + " element" + at(offset) + " is missing";
    const std::size_t length = le16(b.data());
    if (length > b.size() - 2)
      return std::string("the ") + what + " element" + at(offset) + " of " + std::to_string(length) +
             " bytes runs past the end of its statement";
    *content = b.subspan(2, length);
    b = b.subspan(2 + length);
    offset += 2 + length;
    return std::nullopt;
  }

  // An element holding one expression and nothing else.
  Problem expressionElement(Span& b, std::size_t& offset, const char* what) const {
    const std::size_t contentAt = offset + 2;
    Span content;
    if (auto p = element(b, offset, &content, what)) return p;
    std::size_t size = 0;
    if (auto p = expression(content, contentAt, &size)) return p;
    if (size != content.size()) return rest(content.subspan(size), contentAt + size, (std::string("the ") + what + " expression").c_str());
    return std::nullopt;
  }

  // An element whose first byte is a code (icons, buttons, show, style).
  static Problem codeElement(Span& b, std::size_t& offset, const char* what) {
    const std::size_t start = offset;
    Span content;
    if (auto p = element(b, offset, &content, what)) return p;
    if (content.empty()) return std::string("the ") + what + " element" + at(start) + " is empty";
    return std::nullopt;
  }

  // The element naming the variable that receives a dialog's answer: one
  // reference to a script variable.
  Problem resultElement(Span& b, std::size_t& offset) const {
    const std::size_t contentAt = offset + 2;
    Span content;
    if (auto p = element(b, offset, &content, "result")) return p;
    std::size_t size = 0;
    if (auto p = expression(content, contentAt, &size)) return p;
    if (size != content.size() || size != 2 + kVariableTokenSize || content[2] != kTokenVariable)
      return "the result element" + at(contentAt) + " is not one variable reference";
    return scriptVariable(le16(&content[4]), contentAt + 2, "the result");
  }

  Problem background(Span body) const {
    std::size_t offset = kStatementHead;
    while (!body.empty()) {
      if (body.size() < kItemHead) return "the background item" + at(offset) + " has no room for its kind";
      const std::uint8_t kind = body[2];
      const std::size_t itemAt = offset;
      body = body.subspan(kItemHead);
      offset += kItemHead;
      if (kind == kItemGradient) {
        for (int k = 0; k < 6; ++k)
          if (auto p = expressionElement(body, offset, "colour")) return p;
      } else if (kind == kItemTitle || kind == kItemSubtitle || kind == kItemFooter) {
        if (auto p = expressionElement(body, offset, "text")) return p;
        if (auto p = codeElement(body, offset, "style")) return p;
        if (auto p = expressionElement(body, offset, "size")) return p;
        for (int k = 0; k < 3; ++k)
          if (auto p = expressionElement(body, offset, "colour")) return p;
      } else {
        return "background item kind " + std::to_string(kind) + at(itemAt) + " is not an item";
      }
    }
    return std::nullopt;
  }

  Problem dialog(Span body) const {
    if (body.empty()) return std::string("the dialog has no kind byte");
    const std::uint8_t kind = body[0];
    if (!wordOf(kDialogWords, kind)) return "dialog kind " + std::to_string(kind) + " is not a request";
    body = body.subspan(1);
    std::size_t offset = kStatementHead + 1;
    if (kind == kDialogMessage) {
      if (auto p = codeElement(body, offset, "icon")) return p;
      if (auto p = expressionElement(body, offset, "caption")) return p;
      if (auto p = expressionElement(body, offset, "text")) return p;
      if (auto p = codeElement(body, offset, "button")) return p;
      if (auto p = resultElement(body, offset)) return p;
    } else if (kind == kDialogProgress) {
      if (auto p = codeElement(body, offset, "show")) return p;
      if (auto p = expressionElement(body, offset, "caption")) return p;
      if (auto p = expressionElement(body, offset, "text")) return p;
      if (auto p = expressionElement(body, offset, "total")) return p;
    } else {
      const std::size_t pictureAt = offset;
      Span picture;
      if (auto p = element(body, offset, &picture, "picture")) return p;
      if (picture.size() < 3) return "the picture element" + at(pictureAt) + " has no room for its variable index";
      // An index of a system variable keeps the previous picture.
      const std::uint16_t index = le16(&picture[1]);
      if (index < kFirstSystemIndex)
        if (auto p = scriptVariable(index, pictureAt + 3, "the picture")) return p;
      if (auto p = expressionElement(body, offset, "caption")) return p;
      Span probe = body;
      std::size_t textAt = offset;
      Span text;
      if (auto p = element(probe, textAt, &text, "text")) return p;
      if (!text.empty() && text[0] == kTextFromVariable) {
        if (text.size() < 3) return "the text element" + at(offset) + " has no room for its variable index";
        if (auto p = variable(le16(&text[1]), offset + 3)) return p;
        body = probe;
        offset = textAt;
      } else if (auto p = expressionElement(body, offset, "text")) {
        return p;
      }
      if (auto p = codeElement(body, offset, "button")) return p;
      if (auto p = resultElement(body, offset)) return p;
    }
    return rest(body, offset, "the dialog's last element");
  }

 private:
  std::uint32_t n_;
};

struct Jump {
  std::uint32_t pc;
  std::uint16_t target;
  std::string_view name;
};

}  // namespace

std::string describe(const ScriptFault& fault) {
  if (fault.inHeader) return "header: " + fault.what;
  std::string where = "pc " + std::to_string(fault.pc);
  if (!fault.statement.empty()) where += " (" + fault.statement + ")";
  return where + ": " + fault.what;
}

std::optional<ScriptFault> checkScript(std::span<const std::uint8_t> entry, ScriptSummary* summary) {
  ScriptSummary local;
  ScriptSummary& s = summary ? *summary : local;
  s = {};
  const auto headerFault = [](std::string what) { return ScriptFault{true, 0, {}, std::move(what)}; };
  if (entry.size() < 2) return headerFault("the script is too short for its variable count");
  s.variables = le16(entry.data());
  if ((entry.size() - 2) / 2 < s.variables)
    return headerFault("the script is too short for the type words of its " + std::to_string(s.variables) + " variables");
  const Span code = entry.subspan(2 + 2u * s.variables);
  s.codeBytes = code.size();
  if (code.size() > kLongestCode)
    return headerFault("the code has " + std::to_string(code.size()) + " bytes; positions past " +
                       std::to_string(kLongestCode) + " cannot be reached");

  const Checker check(s.variables);
  std::vector<std::uint32_t> starts;
  std::vector<Jump> jumps;
  std::optional<ScriptFault> broken;
  for (std::size_t pc = 0; pc < code.size() && !broken;) {
    const Span at = code.subspan(pc);
    const std::uint8_t op = at[0];
    const StatementInfo* info = statementInfo(op);
    const auto fault = [&](std::string what) {
      broken = ScriptFault{false, static_cast<std::uint32_t>(pc), info ? std::string(info->name) : std::string(), std::move(what)};
    };
    if (!info) {
      fault("opcode " + hex(op) + " is not a statement");
      break;
    }
    starts.push_back(static_cast<std::uint32_t>(pc));
    ++s.statements;
    if (info->layout == Layout::Bare) {
      pc += 1;
      continue;
    }
    if (at.size() < kStatementHead) {
      fault("the statement runs past the end of the code");
      break;
    }
    if (info->layout == Layout::Jump || info->layout == Layout::JumpIf) {
      jumps.push_back({static_cast<std::uint32_t>(pc), le16(&at[1]), info->name});
      std::size_t size = 0;
      if (info->layout == Layout::JumpIf) {
        if (auto p = check.expression(at.subspan(kStatementHead), kStatementHead, &size)) {
          fault(*p);
          break;
        }
      }
      pc += kStatementHead + size;
      continue;
    }
    const std::size_t length = le16(&at[1]);
    if (length > at.size() - kStatementHead) {
      fault("its count of " + std::to_string(length) + " bytes runs past the end of the code (" +
            std::to_string(at.size() - kStatementHead) + " bytes left)");
      break;
    }
    const Span body = at.subspan(kStatementHead, length);
    Problem p;
    switch (info->layout) {
      case Layout::Expression: {
        std::size_t size = 0;
        p = check.expression(at.subspan(1, length + 2), 1, &size);
        break;
      }
      case Layout::Expressions:
        p = check.expressions(body, kStatementHead, info->operands);
        break;
      case Layout::KindAndExpressions:
        if (body.empty()) {
          p = "the statement has no " + std::string(op == kOpSetReg ? "root" : "kind") + " byte";
        } else if (op == kOpSetReg && !wordOf(kRootWords, body[0])) {
          p = "root byte " + std::to_string(body[0]) + " names no registry root";
        } else {
          p = check.expressions(body.subspan(1), kStatementHead + 1, info->operands);
        }
        break;
      case Layout::LoadEntry:
        if (body.size() < kLoadEntryHead) {
          p = std::string("the statement has no room for its variable index");
        } else if (!(p = check.scriptVariable(le16(&body[3]), kStatementHead + 3, "the variable"))) {
          p = check.expressions(body.subspan(kLoadEntryHead), kStatementHead + kLoadEntryHead, info->operands);
        }
        break;
      case Layout::Items:
        p = check.background(body);
        break;
      case Layout::DialogItems:
        p = check.dialog(body);
        break;
      case Layout::Jump:
      case Layout::JumpIf:
      case Layout::Bare:
        break;
    }
    if (p) {
      fault(*p);
      break;
    }
    pc += kStatementHead + length;
  }

  // Jumps land on a statement's start, or on the end of the code (which
  // ends the run). Past the first broken statement nothing is known.
  const std::size_t known = broken ? broken->pc : code.size();
  for (const Jump& j : jumps) {
    if (j.target == code.size() && !broken) continue;
    if (j.target >= known) {
      if (broken) continue;
      return ScriptFault{false, j.pc, std::string(j.name),
                         "jump target " + std::to_string(j.target) + " is past the end of the code (" +
                             std::to_string(code.size()) + " bytes)"};
    }
    auto it = std::upper_bound(starts.begin(), starts.end(), j.target);
    const std::uint32_t container = *(it - 1);  // starts[0] is 0
    if (container == j.target) continue;
    const StatementInfo* info = statementInfo(code[container]);
    return ScriptFault{false, j.pc, std::string(j.name),
                       "jump target " + std::to_string(j.target) + " is inside the statement at " +
                           std::to_string(container) + " (" + std::string(info->name) + ")"};
  }
  return broken;
}

}  // namespace kestrin
