#include "Compiler.h"

#include <map>
#include <optional>
#include <vector>

#include "Lexer.h"

namespace kestrin {
namespace {

constexpr const char* kSystemNames[] = {"StartDir",  "WindowsDir", "SystemDir", "LogName",  "ProgramInstance", "FreeSpace",
                                        "DriveType", "SourceDir",  "BackupDir", "BackupOn", "LogTarget",       "MoveLog"};

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
    for (int k = 0; k < 12; ++k)
      if (n == kSystemNames[k]) return static_cast<std::uint16_t>((k + 1) * 256);
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
      tokenOperator(out, negate ? 28 : 26);
    } else {
      primary(out);
    }
  }
  // Binary levels, loosest first.
  void binary(Bytes& out, int level) {
    static const std::vector<std::vector<std::pair<const char*, std::uint8_t>>> levels = {
        {{"||", 2}},
        {{"&&", 4}},
        {{"==", 6}, {"!=", 8}},
        {{"<", 10}, {">", 12}, {"<=", 14}, {">=", 16}},
        {{"+", 18}, {"-", 20}},
        {{"*", 22}, {"/", 24}},
    };
    if (level == static_cast<int>(levels.size())) return unary(out);
    binary(out, level + 1);
    for (;;) {
      std::optional<std::uint8_t> op;
      for (const auto& [text, code] : levels[static_cast<std::size_t>(level)])
        if (isPunct(text)) op = code;
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
      if (*v >= 256) fail("system variables cannot be assigned", target);
      next();
      next();
      tokenVariable(out, *v);
      expr(out);
      tokenOperator(out, 0);
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
  std::uint8_t codeByte(const std::map<std::string, std::uint8_t>& words, const char* what) {
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
      auto it = words.find(tok.text);
      if (it != words.end()) {
        next();
        return it->second;
      }
    }
    fail(std::string("expected ") + what, tok);
  }
  Bytes exprElement() { return element(expression()); }
  Bytes styleElement() {
    static const std::map<std::string, std::uint8_t> words = {{"arial", 0}, {"bold", 1},   {"italic", 2},
                                                               {"times", 4}, {"system", 8}, {"default_face", 12}};
    std::uint8_t style = 0;
    for (;;) {
      if (peek().kind == Token::Number && peek().number <= 255) {
        style |= static_cast<std::uint8_t>(next().number);
      } else {
        style |= codeByte(words, "a style word");
      }
      if (!isPunct("|")) break;
      next();
    }
    return element({style});
  }
  void background() {
    Bytes body;
    static const std::map<std::string, std::uint8_t> kinds = {{"gradient", 0}, {"title", 2}, {"subtitle", 3}, {"footer", 4}};
    do {
      const Token& tok = peek();
      const std::string word = name();
      auto it = kinds.find(word);
      if (it == kinds.end()) fail("expected gradient, title, subtitle or footer", tok);
      appendBytes(body, {0, 0, it->second});
      expect("(");
      if (it->second == 0) {
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
    emit(bodyStatement(0x87, body));
  }
  static void append(Bytes& to, const Bytes& more) { appendBytes(to, more); }
  std::uint16_t scriptVariable() {
    const Token& tok = peek();
    auto v = variable(name());
    if (!v) fail("unknown variable \"" + tok.text + "\"", tok);
    return *v;
  }
  void dialog() {
    static const std::map<std::string, std::uint8_t> kinds = {
        {"message", 0}, {"info", 1}, {"input", 2}, {"progress", 3}, {"path", 4}};
    static const std::map<std::string, std::uint8_t> icons = {
        {"stop", '0'}, {"exclamation", '1'}, {"information", '2'}, {"question", '3'}};
    static const std::map<std::string, std::uint8_t> buttons = {{"okcancel", '@'}, {"yesno", 'A'}};
    static const std::map<std::string, std::uint8_t> shows = {{"show", 0x80}, {"hide", 0x81}};
    const Token& tok = peek();
    auto it = kinds.find(name());
    if (it == kinds.end()) fail("expected message, info, input, progress or path", tok);
    Bytes body{it->second};
    expect("(");
    if (it->second == 0) {
      append(body, element({codeByte(icons, "an icon")}));
      expect(",");
      append(body, exprElement());
      expect(",");
      append(body, exprElement());
      expect(",");
      append(body, element({codeByte(buttons, "okcancel or yesno")}));
      expect(",");
      append(body, exprElement());
    } else if (it->second == 3) {
      append(body, element({codeByte(shows, "show or hide")}));
      for (int i = 0; i < 3; ++i) {
        expect(",");
        append(body, exprElement());
      }
    } else {
      // The picture: a script variable holding a loaded bitmap, or none.
      std::uint16_t picture = 0x100;
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
        append(body, element({0xFC, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}));
      } else {
        // The front end reads a text element whose first byte is 0xFC as a
        // variable reference; an expression whose count starts so would be
        // misread.
        const Token& at = peek();
        const Bytes text = expression();
        if (text[0] == 0xFC) fail("this text expression is 252 bytes (mod 256) long; make it a little longer or shorter", at);
        append(body, element(text));
      }
      expect(",");
      append(body, element({codeByte(buttons, "okcancel or yesno")}));
      expect(",");
      append(body, exprElement());
    }
    expect(")");
    emit(bodyStatement(0x88, body));
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
    static const std::map<std::string, std::uint8_t> single = {{"eval", 0x82},   {"logtext", 0x86}, {"mkdir", 0x89},
                                                               {"rmdir", 0x8A},  {"run", 0x8F},     {"backup", 0x90},
                                                               {"driveinfo", 0x95}};
    if (w == "number" || w == "string") {
      next();
      do {
        const Token& at = peek();
        const std::string n = name();
        if (variable(n)) fail("\"" + n + "\" is already a variable", at);
        if (vars_.size() == 256) fail("at most 256 variables", at);
        vars_.emplace(n, static_cast<std::uint16_t>(types_.size()));
        types_.push_back(w == "string" ? 1 : 0);
        if (!isPunct(",")) break;
        next();
      } while (true);
    } else if (auto it = single.find(w); it != single.end() && !isPunct("=", 1)) {
      next();
      emit(exprStatement(it->second, expression()));
    } else if (w == "goto") {
      next();
      emit(gotoStatement(0));
      jumpTo(code_.size() - 2);
    } else if (w == "ifnot") {
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
    } else if (w == "copy" || w == "scopy") {
      next();
      std::uint8_t kind = w == "scopy" ? 2 : 0;
      if (w == "copy" && isName("nolog")) {
        next();
        kind = 1;
      } else if (w == "copy" && isName("kind")) {
        next();
        if (peek().kind != Token::Number || peek().number > 255) fail("expected a byte", peek());
        kind = static_cast<std::uint8_t>(next().number);
      }
      Bytes body{kind};
      append(body, expression());
      expect(",");
      append(body, expression());
      emit(bodyStatement(0x8B, body));
    } else if (w == "setreg") {
      next();
      static const std::map<std::string, std::uint8_t> roots = {{"HKCR", 0}, {"HKCU", 1}, {"HKLM", 2}, {"HKU", 3}};
      Bytes body{codeByte(roots, "HKCR, HKCU, HKLM or HKU")};
      for (int i = 0; i < 3; ++i) {
        if (i) expect(",");
        append(body, expression());
      }
      emit(bodyStatement(0x83, body));
    } else if (w == "shortcut" || w == "uninstallreg") {
      next();
      Bytes body;
      for (int i = 0; i < (w == "shortcut" ? 4 : 2); ++i) {
        if (i) expect(",");
        append(body, expression());
      }
      emit(bodyStatement(w == "shortcut" ? 0x91 : 0x92, body));
    } else if (w == "loadentry") {
      next();
      const std::uint16_t v = scriptVariable();
      if (v >= 256) fail("loadentry needs a script variable", tok);
      expect(",");
      emit(loadEntryStatement(v, expression()));
    } else if (w == "abort") {
      next();
      emit({0x94});
    } else if (w == "background") {
      next();
      background();
    } else if (w == "dialog") {
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
      emit(exprStatement(0x82, expression()));
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
