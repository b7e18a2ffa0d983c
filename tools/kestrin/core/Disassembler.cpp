#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "Compiler.h"
#include "Language.h"

namespace kestrin {
namespace {

using namespace setup;  // the bytecode's codes

using Span = std::span<const std::uint8_t>;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out + "\"";
}

class Printer {
 public:
  explicit Printer(std::uint16_t variables) : n_(variables) {}

  std::optional<std::string> variable(std::uint16_t index) const {
    if (index < n_) return "v" + std::to_string(index);
    // Only the index the compiler makes for a system variable has a name.
    if (index % 256 == 0)
      if (auto name = systemVarName(index)) return std::string(*name);
    return std::nullopt;
  }

  // The expression at `b` (its count first) as source, and its size.
  std::optional<std::string> expression(Span b, std::size_t* size) const {
    if (b.size() < 2) return std::nullopt;
    const std::size_t count = le16(b.data());
    if (count == 0 || count + 2 > b.size()) return std::nullopt;
    *size = count + 2;
    struct Item {
      std::string text;
      bool plainVariable;
    };
    std::vector<Item> stack;
    std::size_t i = 2;
    while (i < count + 2) {
      const std::size_t left = count + 2 - i;
      const std::uint8_t code = b[i];
      if (code == kTokenString) {
        if (left < 3 || le16(&b[i + 1]) > left - 3) return std::nullopt;
        const std::size_t len = le16(&b[i + 1]);
        stack.push_back({quoted({reinterpret_cast<const char*>(&b[i + 3]), len}), false});
        i += kStringTokenHead + len;
      } else if (code == kTokenNumber) {
        if (left < kNumberTokenSize || b[i + 1] != 0) return std::nullopt;
        const auto v = static_cast<std::int32_t>(static_cast<std::uint32_t>(le16(&b[i + 2])) |
                                                 static_cast<std::uint32_t>(le16(&b[i + 4])) << 16);
        stack.push_back({std::to_string(v), false});
        i += kNumberTokenSize;
      } else if (code == kTokenVariable) {
        if (left < kVariableTokenSize || b[i + 1] != 0) return std::nullopt;
        auto name = variable(le16(&b[i + 2]));
        if (!name) return std::nullopt;
        stack.push_back({*name, true});
        i += kVariableTokenSize;
      } else if (code == kTokenOperator) {
        if (left < kOperatorTokenSize || b[i + 1] != 0) return std::nullopt;
        const std::uint8_t op = b[i + 2];
        i += kOperatorTokenSize;
        if (op == kOpNot || op == kOpNegate) {
          if (stack.empty()) return std::nullopt;
          stack.back() = {std::string(op == kOpNot ? "!(" : "-(") + stack.back().text + ")", false};
          continue;
        }
        if (stack.size() < 2) return std::nullopt;
        Item right = stack.back();
        stack.pop_back();
        Item& l = stack.back();
        if (op == kOpAssign) {
          if (!l.plainVariable || l.text.size() < 2 || l.text[0] != 'v') return std::nullopt;
          l = {"(" + l.text + " = " + right.text + ")", false};
        } else {
          const BinaryOperator* found = nullptr;
          for (const BinaryOperator& bo : kBinaryOperators)
            if (bo.code == op) found = &bo;
          if (!found) return std::nullopt;
          l = {"(" + l.text + " " + std::string(found->symbol) + " " + right.text + ")", false};
        }
      } else {
        return std::nullopt;
      }
    }
    if (stack.size() != 1) return std::nullopt;
    return stack.back().text;
  }

  // Expressions that exactly fill `b`, joined by ", ".
  std::optional<std::string> expressions(Span b, int count) const {
    std::string out;
    for (int k = 0; k < count; ++k) {
      std::size_t size = 0;
      auto e = expression(b, &size);
      if (!e) return std::nullopt;
      out += (k ? ", " : "") + *e;
      b = b.subspan(size);
    }
    if (!b.empty()) return std::nullopt;
    return out;
  }

  // One element at the start of `b`: its content, and `b` moved past it.
  static std::optional<Span> element(Span& b) {
    if (b.size() < 2 || le16(b.data()) > b.size() - 2) return std::nullopt;
    Span content = b.subspan(2, le16(b.data()));
    b = b.subspan(2 + content.size());
    return content;
  }
  std::optional<std::string> exprElement(Span& b) const {
    auto c = element(b);
    std::size_t size = 0;
    if (!c) return std::nullopt;
    auto e = expression(*c, &size);
    if (!e || size != c->size()) return std::nullopt;
    return e;
  }
  static std::optional<std::string> codeElement(Span& b, std::span<const Word> words) {
    auto c = element(b);
    if (!c || c->size() != 1) return std::nullopt;
    if (auto word = wordOf(words, (*c)[0])) return std::string(*word);
    return "code(" + std::to_string((*c)[0]) + ")";
  }

  std::optional<std::string> background(Span b) const {
    std::string out = "background ";
    bool first = true;
    while (!b.empty()) {
      if (b.size() < 3 || b[0] || b[1] || !wordOf(kBackgroundWords, b[2])) return std::nullopt;
      const std::uint8_t kind = b[2];
      b = b.subspan(3);
      out += std::string(first ? "" : ", ") + std::string(*wordOf(kBackgroundWords, kind)) + "(";
      first = false;
      std::vector<std::string> parts;
      for (int k = 0; k < 6; ++k) {
        if (kind != kItemGradient && k == 1) {
          auto c = element(b);
          if (!c || c->size() != 1) return std::nullopt;
          parts.push_back(std::to_string((*c)[0]));
          continue;
        }
        auto e = exprElement(b);
        if (!e) return std::nullopt;
        parts.push_back(*e);
      }
      for (std::size_t k = 0; k < parts.size(); ++k) out += (k ? ", " : "") + parts[k];
      out += ")";
    }
    if (first) return std::nullopt;
    return out;
  }

  std::optional<std::string> dialog(Span b) const {
    if (b.empty() || !wordOf(kDialogWords, b[0])) return std::nullopt;
    const std::uint8_t kind = b[0];
    b = b.subspan(1);
    std::vector<std::optional<std::string>> parts;
    if (kind == kDialogMessage) {
      parts.push_back(codeElement(b, kIconWords));
      parts.push_back(exprElement(b));
      parts.push_back(exprElement(b));
      parts.push_back(codeElement(b, kButtonWords));
      parts.push_back(exprElement(b));
    } else if (kind == kDialogProgress) {
      parts.push_back(codeElement(b, kShowWords));
      for (int k = 0; k < 3; ++k) parts.push_back(exprElement(b));
    } else {
      auto pic = element(b);
      if (!pic || pic->size() != 3 || (*pic)[0] != 0) return std::nullopt;
      const std::uint16_t index = le16(pic->data() + 1);
      if (index == kNoPicture) {
        parts.push_back("nopicture");
      } else if (index < n_) {
        parts.push_back(variable(index));
      } else {
        return std::nullopt;
      }
      parts.push_back(exprElement(b));
      Span probe = b;
      auto text = element(probe);
      if (text && text->size() == 3 && (*text)[0] == kTextFromVariable) {
        const std::uint16_t v = le16(text->data() + 1);
        if (v >= n_) return std::nullopt;
        parts.push_back("entry(v" + std::to_string(v) + ")");
        b = probe;
      } else {
        parts.push_back(exprElement(b));
      }
      parts.push_back(codeElement(b, kButtonWords));
      parts.push_back(exprElement(b));
    }
    if (!b.empty()) return std::nullopt;
    std::string out = "dialog " + std::string(*wordOf(kDialogWords, kind)) + "(";
    for (std::size_t k = 0; k < parts.size(); ++k) {
      if (!parts[k]) return std::nullopt;
      out += (k ? ", " : "") + *parts[k];
    }
    return out + ")";
  }

 private:
  std::uint16_t n_;
};

struct Line {
  std::size_t pc = 0;
  std::size_t size = 0;
  std::string text;           // empty: print as bytes
  std::optional<std::uint16_t> target;  // a jump's target
  std::string jumpPrefix;     // "goto " or "ifnot <expr> goto "
};

std::string bytesLine(Span b) {
  std::string out = "bytes ";
  for (std::size_t k = 0; k < b.size(); ++k) out += (k ? ", " : "") + std::to_string(b[k]);
  return out;
}

}  // namespace

bool disassembleScript(const Bytes& entry, std::string* text, std::string* error) {
  if (entry.size() < 2 || entry.size() - 2 < 2u * le16(entry.data())) {
    *error = "the script is shorter than its own header";
    return false;
  }
  const std::uint16_t n = le16(entry.data());
  std::string out = "# " + std::to_string(n) + " variables, " + std::to_string(entry.size() - 2 - 2u * n) +
                    " bytes of code\n";
  for (std::uint16_t v = 0; v < n; ++v) {
    if (entry[2 + 2u * v + 1] != 0) {
      *error = "variable " + std::to_string(v) + " has a type word the language cannot write";
      return false;
    }
    out += std::string(entry[2 + 2u * v] == 1 ? "string" : "number") + " v" + std::to_string(v) + "\n";
    if (entry[2 + 2u * v] > 1) {
      *error = "variable " + std::to_string(v) + " has an unknown type";
      return false;
    }
  }
  const Span code = Span(entry).subspan(2 + 2u * n);
  const Printer p(n);
  std::vector<Line> lines;
  std::set<std::size_t> starts;
  std::size_t pc = 0;
  while (pc < code.size()) {
    Line line;
    line.pc = pc;
    const Span at = code.subspan(pc);
    const std::uint8_t op = at[0];
    const StatementInfo* info = statementInfo(op);
    line.size = 1;
    if (!info) {
      // Not a statement: one raw byte.
    } else if (op == kOpGoto && at.size() >= 3) {
      line.size = 3;
      line.target = le16(&at[1]);
      line.jumpPrefix = std::string(info->name) + " ";
    } else if (op == kOpIfNot && at.size() >= 5) {
      std::size_t size = 0;
      if (auto e = p.expression(at.subspan(3), &size)) {
        line.size = 3 + size;
        line.target = le16(&at[1]);
        line.jumpPrefix = std::string(info->name) + " " + *e + " goto ";
      }
    } else if (op == kOpAbort) {
      line.text = info->name;
    } else if (info->layout != Layout::Jump && info->layout != Layout::JumpIf && at.size() >= 3 &&
               le16(&at[1]) <= at.size() - 3) {
      line.size = 3 + le16(&at[1]);
      const Span body = at.subspan(3, line.size - 3);
      const std::string name(info->name);
      std::optional<std::string> t;
      if (info->layout == Layout::Expression) {
        std::size_t size = 0;
        if (auto e = p.expression(at.subspan(1, line.size - 1), &size)) t = name + " " + *e;
      } else if (op == kOpCopy && !body.empty()) {
        const std::uint8_t kind = body[0];
        if (auto e = p.expressions(body.subspan(1), info->operands))
          t = (kind == kCopyLogged     ? "copy "
               : kind == kCopyUnlogged ? "copy nolog "
               : kind == kCopyShared   ? "scopy "
                                       : "copy kind " + std::to_string(kind) + " ") +
              *e;
      } else if (op == kOpSetReg && !body.empty() && wordOf(kRootWords, body[0])) {
        if (auto e = p.expressions(body.subspan(1), info->operands))
          t = name + " " + std::string(*wordOf(kRootWords, body[0])) + " " + *e;
      } else if (info->layout == Layout::Expressions) {
        if (auto e = p.expressions(body, info->operands)) t = name + " " + *e;
      } else if (op == kOpLoadEntry && body.size() >= 5 && !body[0] && !body[1] && !body[2] && le16(&body[3]) < n) {
        if (auto e = p.expressions(body.subspan(5), 1)) t = name + " v" + std::to_string(le16(&body[3])) + ", " + *e;
      } else if (op == kOpBackground) {
        t = p.background(body);
      } else if (op == kOpDialog) {
        t = p.dialog(body);
      }
      if (t) {
        line.text = *t;
      }
    }
    if (line.text.empty() && !line.target) line.text = bytesLine(at.subspan(0, line.size));
    starts.insert(pc);
    pc += line.size;
    lines.push_back(std::move(line));
  }
  starts.insert(code.size());
  std::set<std::size_t> labels;
  for (Line& l : lines) {
    if (!l.target) continue;
    if (starts.count(*l.target)) {
      labels.insert(*l.target);
      l.text = l.jumpPrefix + "L" + std::to_string(*l.target);
    } else {
      l.text = bytesLine(code.subspan(l.pc, l.size));
    }
  }
  for (const Line& l : lines) {
    if (labels.count(l.pc)) out += "L" + std::to_string(l.pc) + ":\n";
    out += "  " + l.text + "\n";
  }
  if (labels.count(code.size())) out += "L" + std::to_string(code.size()) + ":\n";
  *text = out;
  return true;
}

}  // namespace kestrin
