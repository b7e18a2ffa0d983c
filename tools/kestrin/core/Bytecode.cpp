#include "Bytecode.h"

#include "setup/Bytecode.h"

namespace kestrin {

void appendBytes(Bytes& out, const Bytes& more) {
  out.reserve(out.size() + more.size());
  for (std::uint8_t b : more) out.push_back(b);
}

void put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

void tokenString(Bytes& tokens, std::string_view text) {
  tokens.push_back(setup::kTokenString);
  put16(tokens, static_cast<std::uint32_t>(text.size()));
  for (char c : text) tokens.push_back(static_cast<std::uint8_t>(c));
}

void tokenNumber(Bytes& tokens, std::int32_t value) {
  tokens.push_back(setup::kTokenNumber);
  tokens.push_back(0);
  put32(tokens, static_cast<std::uint32_t>(value));
}

void tokenVariable(Bytes& tokens, std::uint16_t index) {
  tokens.push_back(setup::kTokenVariable);
  tokens.push_back(0);
  put16(tokens, index);
}

void tokenOperator(Bytes& tokens, std::uint8_t op) {
  tokens.push_back(setup::kTokenOperator);
  tokens.push_back(0);
  tokens.push_back(op);
}

Bytes expression(const Bytes& tokens) {
  Bytes out;
  put16(out, static_cast<std::uint32_t>(tokens.size()));
  appendBytes(out, tokens);
  return out;
}

Bytes stringExpr(std::string_view text) {
  Bytes t;
  tokenString(t, text);
  return expression(t);
}

Bytes numberExpr(std::int32_t value) {
  Bytes t;
  tokenNumber(t, value);
  return expression(t);
}

Bytes variableExpr(std::uint16_t index) {
  Bytes t;
  tokenVariable(t, index);
  return expression(t);
}

Bytes exprStatement(std::uint8_t opcode, const Bytes& expr) {
  Bytes out{opcode};
  appendBytes(out, expr);
  return out;
}

Bytes bodyStatement(std::uint8_t opcode, const Bytes& body) {
  Bytes out{opcode};
  put16(out, static_cast<std::uint32_t>(body.size()));
  appendBytes(out, body);
  return out;
}

Bytes gotoStatement(std::uint16_t target) {
  Bytes out{setup::kOpGoto};
  put16(out, target);
  return out;
}

Bytes ifNotStatement(std::uint16_t target, const Bytes& expr) {
  Bytes out{setup::kOpIfNot};
  put16(out, target);
  appendBytes(out, expr);
  return out;
}

Bytes loadEntryStatement(std::uint16_t variable, const Bytes& expr) {
  Bytes body{0, 0, 0};
  put16(body, variable);
  appendBytes(body, expr);
  return bodyStatement(setup::kOpLoadEntry, body);
}

Bytes element(const Bytes& content) {
  Bytes out;
  put16(out, static_cast<std::uint32_t>(content.size()));
  appendBytes(out, content);
  return out;
}

Bytes scriptEntry(const std::vector<std::uint8_t>& types, const Bytes& code) {
  Bytes out;
  put16(out, static_cast<std::uint32_t>(types.size()));
  for (std::uint8_t t : types) put16(out, t);
  appendBytes(out, code);
  return out;
}

}  // namespace kestrin
