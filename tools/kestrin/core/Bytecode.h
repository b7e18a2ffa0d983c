#pragma once
// Building the installer's bytecode: expressions (a 16-bit token count and
// postfix tokens), statements, and the script entry with its variable
// header.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

using Bytes = std::vector<std::uint8_t>;

// Appends `more` to `out` (a loop of push_back: GCC 12 at -O3 warns about
// vector range inserts into small vectors that cannot overflow).
void appendBytes(Bytes& out, const Bytes& more);

void put16(Bytes& out, std::uint32_t v);
void put32(Bytes& out, std::uint32_t v);

// Tokens, appended to a token list.
void tokenString(Bytes& tokens, std::string_view text);
void tokenNumber(Bytes& tokens, std::int32_t value);
void tokenVariable(Bytes& tokens, std::uint16_t index);
void tokenOperator(Bytes& tokens, std::uint8_t op);

// An expression: the count, then the tokens.
Bytes expression(const Bytes& tokens);
// Shorthands for one-token expressions.
Bytes stringExpr(std::string_view text);
Bytes numberExpr(std::int32_t value);
Bytes variableExpr(std::uint16_t index);

// A statement whose single operand is an expression (EVAL, LOGTEXT, MKDIR,
// RMDIR, RUN, BACKUP, DRIVEINFO): opcode, then the expression.
Bytes exprStatement(std::uint8_t opcode, const Bytes& expr);
// A statement with a count and a body: opcode, L, body.
Bytes bodyStatement(std::uint8_t opcode, const Bytes& body);
Bytes gotoStatement(std::uint16_t target);
Bytes ifNotStatement(std::uint16_t target, const Bytes& expr);
// LOADENTRY: three unread bytes, the variable index, the expression.
Bytes loadEntryStatement(std::uint16_t variable, const Bytes& expr);

// An element of a background item or dialog request: 16-bit length, content.
Bytes element(const Bytes& content);

// The script entry: n, the type words, the code.
Bytes scriptEntry(const std::vector<std::uint8_t>& types, const Bytes& code);

}  // namespace kestrin
