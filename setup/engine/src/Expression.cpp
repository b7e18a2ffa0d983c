#include <climits>
#include <cstring>
#include <string>

#include "setup/ScriptMachine.h"

namespace setup {
namespace {

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int32_t le32s(const std::uint8_t* p) {
  return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                   std::uint32_t{p[3]} << 24);
}

std::int32_t wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::string decimal(std::int32_t n) { return std::to_string(n); }

// Applies one operator to the stack; false when it lacks operands or
// assigns to something that is not a script variable.
bool apply(ValueStack& s, std::uint8_t op) {
  if (op == kOpNot || op == kOpNegate) {
    if (s.depth < 1) return false;
    Value& v = s.entries[s.depth - 1];
    v.number = op == kOpNot ? (v.number == 0 ? 1 : 0) : wrap(-std::int64_t{v.number});
    v.type = 0;
    v.variableIndex = -1;
    return true;
  }
  if (op > kOpNegate || (op & 1) != 0) return true;  // not an operator: skipped
  if (s.depth < 2) return false;
  const Value right = s.entries[s.depth - 1];
  Value& left = s.entries[s.depth - 2];
  --s.depth;
  const std::int32_t a = left.number;
  const std::int32_t b = right.number;
  std::int32_t result = 0;
  switch (op) {
    case kOpAssign: {
      if (left.variableIndex < 0 || left.variableIndex >= 256) return false;
      Variable* target = variableAt(static_cast<std::uint32_t>(left.variableIndex));
      if (!target) return false;
      if (right.string) {
        target->string = right.string;
        left.string = right.string;
        left.type = 1;
      } else {
        target->number = right.number;
        left.number = right.number;
        left.type = 0;
      }
      left.variableIndex = right.variableIndex;
      return true;
    }
    case kOpOr: result = (a != 0 || b != 0) ? 1 : 0; break;
    case kOpAnd: result = (a != 0 && b != 0) ? 1 : 0; break;
    case kOpEqual:
    case kOpNotEqual: {
      bool same;
      std::int32_t type = 0;
      if (left.string && right.string) {
        same = std::strcmp(left.string, right.string) == 0;
        type = 1;
      } else {
        same = a == b;
      }
      left.number = (same == (op == kOpEqual)) ? 1 : 0;
      left.type = type;
      left.variableIndex = -1;
      return true;
    }
    case kOpLess: result = a < b; break;
    case kOpGreater: result = a > b; break;
    case kOpLessEqual: result = a <= b; break;
    case kOpGreaterEqual: result = a >= b; break;
    case kOpAdd:
      if (left.string || right.string) {
        std::string text = (left.string ? std::string(left.string) : decimal(a)) +
                           (right.string ? std::string(right.string) : decimal(b));
        // A script that doubles a string in a loop would take all memory.
        if (text.size() > kMaxStringBytes) text.resize(kMaxStringBytes);
        left.string = makeString(text);
        left.type = 1;
        left.variableIndex = -1;
        return true;
      }
      result = wrap(std::int64_t{a} + b);
      break;
    case kOpSubtract: result = wrap(std::int64_t{a} - b); break;
    case kOpMultiply: result = wrap(std::int64_t{a} * b); break;
    case kOpDivide:
      // Division by zero gives 0; INT_MIN / -1 wraps to INT_MIN.
      if (b == 0) {
        result = 0;
      } else if (a == INT_MIN && b == -1) {
        result = INT_MIN;
      } else {
        result = a / b;
      }
      break;
  }
  left.number = result;
  left.type = 0;
  left.variableIndex = -1;
  return true;
}

}  // namespace

std::size_t expressionSize(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2) return 0;
  const std::size_t size = 2u + le16(bytes.data());
  return size <= bytes.size() ? size : 0;
}

int evalExpression(std::span<const std::uint8_t> bytes) {
  ValueStack& s = valueStack();
  s.depth = 0;
  const std::size_t size = expressionSize(bytes);
  if (size == 0) return 0;
  const std::uint8_t* p = bytes.data() + 2;
  const std::uint8_t* const end = bytes.data() + size;
  while (p < end) {
    const std::size_t left = static_cast<std::size_t>(end - p);
    const std::uint8_t code = *p;
    if (code == kTokenOperator) {
      if (left < 3 || !apply(s, p[2])) return 0;
      p += 3;
      continue;
    }
    if (code != kTokenString && code != kTokenVariable && code != kTokenNumber) return 0;
    if (s.depth == kStackDepth) return 0;
    Value v;
    if (code == kTokenString) {
      if (left < 3 || left - 3 < le16(p + 1)) return 0;
      const std::size_t len = le16(p + 1);
      v.string = makeString({reinterpret_cast<const char*>(p + 3), len});
      v.type = 1;
      p += 3 + len;
    } else if (code == kTokenVariable) {
      if (left < 4) return 0;
      const std::uint16_t index = le16(p + 2);
      const Variable* var = variableAt(index);
      if (!var) return 0;
      v.number = var->number;
      v.string = var->string;
      v.type = var->type;
      v.variableIndex = index;
      p += 4;
    } else {
      if (left < 6) return 0;
      v.number = le32s(p + 2);
      p += 6;
    }
    s.entries[s.depth++] = v;
  }
  return s.depth > 0 ? 1 : 0;
}

}  // namespace setup
