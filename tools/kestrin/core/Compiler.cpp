#include "Compiler.h"

#include <map>
#include <optional>
#include <vector>

#include "Language.h"
#include "Lexer.h"

namespace kestrin {
namespace {

using namespace setup;  // the bytecode's codes

struct Failure {
  std::string message;
  int line, column;
};

class Compiler {
 public:
  Compiler(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  std::optional<Failure> run(Bytes* entry) {
    try {
      while (peek().kind != Token::End) statement();
      for (const auto& [at, fix] : fixups_) {
        auto it = labels_.find(fix.name);
        if (it == labels_.end()) throw Failure{"no label \"" + fix.name + "\"", fix.line, fix.column};
        code_[at] = static_cast<std::uint8_t>(it->second);
        code_[at + 1] = static_cast<std::uint8_t>(it->second >> 8);
      }
      if (code_.size() > 0xFFFF) throw Failure{"the code is longer than 65535 bytes", 1, 1};
      *entry = scriptEntry(types_, code_);
      return std::nullopt;
    } catch (const Failure& f) {
      return f;
    }
  }

 private:
  struct Fixup {
    std::string name;
    int line, column;
  };

  const Token& peek(std::size_t ahead = 0) const { return t_[std::min(pos_ + ahead, t_.size() - 1)]; }
  const Token& next() { return t_[pos_ < t_.size() - 1 ? pos_++ : pos_]; }
  [[noreturn]] void fail(const std::string& message, const Token& at) const {
    throw Failure{message, at.line, at.column};
  }
  bool isPunct(const char* p, std::size_t ahead = 0) const {
    return peek(ahead).kind == Token::Punct && peek(ahead).text == p;
  }
  bool isName(const char* n) const { return peek().kind == Token::Name && peek().text == n; }
  void expect(const char* p) {
    if (!isPunct(p)) fail(std::string("expected '") + p + "'", peek());
    next();
  }
  std::string name() {
    if (peek().kind != Token::Name) fail("expected a name", peek());
    return next().text;
  }
  void endOfStatement() {
    if (peek().kind == Token::End) return;
    if (peek().kind != Token::Newline && !isPunct("}")) fail("expected the end of the statement", peek());
    if (peek().kind == Token::Newline) next();
  }
  void emit(const Bytes& b) { appendBytes(code_, b); }
  std::uint16_t here() const { return static_cast<std::uint16_t>(code_.size()); }
  void patch(std::size_t at, std::uint16_t target) {
    code_[at] = static_cast<std::uint8_t>(target);
    code_[at + 1] = static_cast<std::uint8_t>(target >> 8);
  }

  // ---- expressions (postfix tokens) ----
  std::optional<std::uint16_t> variable(const std::string& n) const {
    auto it = vars_.find(n);
    if (it != vars_.end()) return it->second;
    for (int k = 0; k < kSystemVarCount; ++k)
      if (n == kSystemVarNames[k]) return systemVarIndex(static_cast<SystemVar>(k));
    return std::nullopt;
  }
  void primary(Bytes& out) {
    const Token& tok = peek();
    if (tok.kind == Token::Number) {
      tokenNumber(out, static_cast<std::int32_t>(static_cast<std::uint32_t>(next().number)));
    } else if (tok.kind == Token::String) {
      if (tok.text.size() > 0xFFFF) fail("string longer than 65535 bytes", tok);
      tokenString(out, next().text);
    } else if (tok.kind == Token::Name) {
      auto v = variable(tok.text);
      if (!v) fail("unknown variable \"" + tok.text + "\"", tok);
      next();
      tokenVariable(out, *v);
    } else if (isPunct("(")) {
      next();
      expr(out);
      expect(")");
    } else {
      fail("expected a value", tok);
    }
  }
  void unary(Bytes& out) {
    if (isPunct("-") && peek(1).kind == Token::Number) {
      next();
      const std::int64_t n = -next().number;
      if (n < INT32_MIN) fail("number out of range", peek());
      tokenNumber(out, static_cast<std::int32_t>(n));
    } else if (isPunct("-") || isPunct("!")) {
      const bool negate = next().text == "-";
      unary(out);
      tokenOperator(out, negate ? kOpNegate : kOpNot);
    } else {
      primary(out);
    }
  }
  // Binary levels, loosest first.
  void binary(Bytes& out, int level) {
    if (level == kBinaryLevels) return unary(out);
    binary(out, level + 1);
    for (;;) {
      std::optional<std::uint8_t> op;
      for (const BinaryOperator& b : kBinaryOperators)
        if (b.level == level && isPunct(std::string(b.symbol).c_str())) op = b.code;
      if (!op) return;
      next();
      binary(out, level + 1);
      tokenOperator(out, *op);
    }
  }
  void expr(Bytes& out) {
    // Assignment binds loosest and to the right: a = b = 5.
    if (peek().kind == Token::Name && isPunct("=", 1)) {
      const Token& target = peek();
      auto v = variable(target.text);
      if (!v) fail("unknown variable \"" + target.text + "\"", target);
      if (*v >= kFirstSystemIndex) fail("system variables cannot be assigned", target);
      next();
      next();
      tokenVariable(out, *v);
      expr(out);
      tokenOperator(out, kOpAssign);
      return;
    }
    binary(out, 0);
  }
  Bytes expression() {
    Bytes tokens;
    const Token& start = peek();
    expr(tokens);
    if (tokens.size() > 0xFFFF) fail("expression too long", start);
    return kestrin::expression(tokens);
  }

  // ---- statements ----
  void block() {
    expect("{");
    while (peek().kind == Token::Newline) next();
    while (!isPunct("}")) {
      if (peek().kind == Token::End) fail("'}' missing", peek());
      statement();
    }
    next();
  }
  void jumpTo(std::size_t at) {
    const Token& tok = peek();
    fixups_[at] = Fixup{name(), tok.line, tok.column};
  }
  std::uint8_t codeByte(std::span<const Word> words, const char* what) {
    const Token& tok = peek();
    if (isName("code")) {
      next();
      expect("(");
      if (peek().kind != Token::Number || peek().number > 255) fail("expected a byte", peek());
      const auto n = static_cast<std::uint8_t>(next().number);
      expect(")");
      return n;
    }
    if (tok.kind == Token::Name) {
      if (auto code = codeOf(words, tok.text)) {
        next();
        return *code;
      }
    }
    fail(std::string("expected ") + what, tok);
  }
  Bytes exprElement() { return element(expression()); }
  Bytes styleElement() {
    std::uint8_t style = 0;
    for (;;) {
      if (peek().kind == Token::Number && peek().number <= 255) {
        style |= static_cast<std::uint8_t>(next().number);
      } else {
        style |= codeByte(kStyleWords, "a style word");
      }
      if (!isPunct("|")) break;
      next();
    }
    return element({style});
  }
  void background() {
    Bytes body;
    do {
      const Token& tok = peek();
      const auto kind = codeOf(kBackgroundWords, name());
      if (!kind) fail("expected gradient, title, subtitle or footer", tok);
      appendBytes(body, {0, 0, *kind});
      expect("(");
      if (*kind == kItemGradient) {
        for (int i = 0; i < 6; ++i) {
          if (i) expect(",");
          append(body, exprElement());
        }
      } else {
        append(body, exprElement());
        expect(",");
        append(body, styleElement());
        for (int i = 0; i < 4; ++i) {
          expect(",");
          append(body, exprElement());
        }
      }
      expect(")");
      if (!isPunct(",")) break;
      next();
    } while (true);
    emit(bodyStatement(kOpBackground, body));
  }
  static void append(Bytes& to, const Bytes& more) { appendBytes(to, more); }
  std::uint16_t scriptVariable() {
    const Token& tok = peek();
    auto v = variable(name());
    if (!v) fail("unknown variable \"" + tok.text + "\"", tok);
    return *v;
  }
  void dialog() {
    const Token& tok = peek();
    const auto kind = codeOf(kDialogWords, name());
    if (!kind) fail("expected message, info, input, progress or path", tok);
    Bytes body{*kind};
    expect("(");
    if (*kind == kDialogMessage) {
      append(body, element({codeByte(kIconWords, "an icon")}));
      expect(",");
      append(body, exprElement());
      expect(",");
      append(body, exprElement());
      expect(",");
      append(body, element({codeByte(kButtonWords, "okcancel or yesno")}));
      expect(",");
      append(body, exprElement());
    } else if (*kind == kDialogProgress) {
      append(body, element({codeByte(kShowWords, "show or hide")}));
      for (int i = 0; i < 3; ++i) {
        expect(",");
        append(body, exprElement());
      }
    } else {
      // The picture: a script variable holding a loaded bitmap, or none.
      std::uint16_t picture = kNoPicture;
      if (isName("nopicture")) {
        next();
      } else {
        picture = scriptVariable();
      }
      append(body, element({0, static_cast<std::uint8_t>(picture), static_cast<std::uint8_t>(picture >> 8)}));
      expect(",");
      append(body, exprElement());
      expect(",");
      if (isName("entry") && isPunct("(", 1)) {
        next();
        next();
        const std::uint16_t v = scriptVariable();
        expect(")");
        append(body, element({kTextFromVariable, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}));
      } else {
        // The front end reads a text element whose first byte is the
        // variable marker as a variable reference; an expression whose count
        // starts so would be misread.
        const Token& at = peek();
        const Bytes text = expression();
        if (text[0] == kTextFromVariable) fail("this text expression is 252 bytes (mod 256) long; make it a little longer or shorter", at);
        append(body, element(text));
      }
      expect(",");
      append(body, element({codeByte(kButtonWords, "okcancel or yesno")}));
      expect(",");
      append(body, exprElement());
    }
    expect(")");
    emit(bodyStatement(kOpDialog, body));
  }

  void statement() {
    if (peek().kind == Token::Newline) {
      next();
      return;
    }
    const Token tok = peek();
    if (tok.kind == Token::Name && isPunct(":", 1)) {
      if (!labels_.emplace(tok.text, here()).second) fail("label \"" + tok.text + "\" defined twice", tok);
      next();
      next();
      return;
    }
    if (tok.kind != Token::Name) fail("expected a statement", tok);
    const std::string& w = tok.text;
    const StatementInfo* info = nullptr;
    for (const StatementInfo& s : kStatements)
      if (w == s.name) info = &s;
    const auto is = [&](Opcode op) { return info && info->opcode == op; };
    if (w == "number" || w == "string") {
      next();
      do {
        const Token& at = peek();
        const std::string n = name();
        if (variable(n)) fail("\"" + n + "\" is already a variable", at);
        if (vars_.size() == kFirstSystemIndex) fail("at most 256 variables", at);
        vars_.emplace(n, static_cast<std::uint16_t>(types_.size()));
        types_.push_back(w == "string" ? 1 : 0);
        if (!isPunct(",")) break;
        next();
      } while (true);
    } else if (info && info->layout == Layout::Expression && !isPunct("=", 1)) {
      next();
      emit(exprStatement(info->opcode, expression()));
    } else if (is(kOpGoto)) {
      next();
      emit(gotoStatement(0));
      jumpTo(code_.size() - 2);
    } else if (is(kOpIfNot)) {
      next();
      const Bytes cond = expression();
      if (!isName("goto")) fail("expected goto", peek());
      next();
      const std::size_t at = code_.size() + 1;
      emit(ifNotStatement(0, cond));
      jumpTo(at);
    } else if (w == "if") {
      next();
      const std::size_t at = code_.size() + 1;
      emit(ifNotStatement(0, expression()));
      block();
      if (isName("else")) {
        next();
        const std::size_t skip = code_.size() + 1;
        emit(gotoStatement(0));
        patch(at, here());
        if (isName("if")) {
          statement();  // ends its own line
          patch(skip, here());
          return;
        }
        block();
        patch(skip, here());
      } else {
        patch(at, here());
      }
      return endOfStatement();
    } else if (w == "while") {
      next();
      const std::uint16_t top = here();
      const std::size_t at = code_.size() + 1;
      emit(ifNotStatement(0, expression()));
      block();
      emit(gotoStatement(top));
      patch(at, here());
      return endOfStatement();
    } else if (is(kOpCopy) || w == "scopy") {
      next();
      std::uint8_t kind = is(kOpCopy) ? kCopyLogged : kCopyShared;
      if (is(kOpCopy) && isName("nolog")) {
        next();
        kind = kCopyUnlogged;
      } else if (is(kOpCopy) && isName("kind")) {
        next();
        if (peek().kind != Token::Number || peek().number > 255) fail("expected a byte", peek());
        kind = static_cast<std::uint8_t>(next().number);
      }
      Bytes body{kind};
      append(body, expression());
      expect(",");
      append(body, expression());
      emit(bodyStatement(kOpCopy, body));
    } else if (is(kOpSetReg)) {
      next();
      Bytes body{codeByte(kRootWords, "HKCR, HKCU, HKLM or HKU")};
      for (int i = 0; i < 3; ++i) {
        if (i) expect(",");
        append(body, expression());
      }
      emit(bodyStatement(kOpSetReg, body));
    } else if (info && info->layout == Layout::Expressions) {  // shortcut, uninstallreg
      next();
      Bytes body;
      for (int i = 0; i < info->operands; ++i) {
        if (i) expect(",");
        append(body, expression());
      }
      emit(bodyStatement(info->opcode, body));
    } else if (is(kOpLoadEntry)) {
      next();
      const std::uint16_t v = scriptVariable();
      if (v >= kFirstSystemIndex) fail("loadentry needs a script variable", tok);
      expect(",");
      emit(loadEntryStatement(v, expression()));
    } else if (is(kOpAbort)) {
      next();
      emit({kOpAbort});
    } else if (is(kOpBackground)) {
      next();
      background();
    } else if (is(kOpDialog)) {
      next();
      dialog();
    } else if (w == "bytes") {
      next();
      do {
        if (peek().kind != Token::Number || peek().number > 255) fail("expected a byte", peek());
        code_.push_back(static_cast<std::uint8_t>(next().number));
        if (!isPunct(",")) break;
        next();
      } while (true);
    } else if (variable(w)) {
      emit(exprStatement(kOpEval, expression()));
    } else {
      fail("unknown statement \"" + w + "\"", tok);
    }
    endOfStatement();
  }

  std::vector<Token> t_;
  std::size_t pos_ = 0;
  Bytes code_;
  std::vector<std::uint8_t> types_;
  std::map<std::string, std::uint16_t> vars_;
  std::map<std::string, std::uint16_t> labels_;
  std::map<std::size_t, Fixup> fixups_;
};

}  // namespace

bool compileScript(std::string_view source, std::string_view fileName, Bytes* entry, std::string* error) {
  std::vector<Token> tokens;
  std::string lexError;
  if (!tokenize(source, &tokens, &lexError)) {
    *error = std::string(fileName) + ":" + lexError;
    return false;
  }
  Compiler c(std::move(tokens));
  if (auto f = c.run(entry)) {
    *error = std::string(fileName) + ":" + std::to_string(f->line) + ":" + std::to_string(f->column) + ": " + f->message;
    return false;
  }
  return true;
}

}  // namespace kestrin
