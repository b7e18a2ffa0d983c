#pragma once
// The script's variables and the expression engine: a stack machine over
// postfix tokens. An expression is a 16-bit token byte count and the tokens.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "setup/Bytecode.h"

namespace setup {

struct Variable {
  std::int32_t number = 0;
  const char* string = nullptr;
  std::uint8_t type = 0;  // 0 number, 1 string
};

struct Value {
  std::int32_t variableIndex = -1;
  std::int32_t type = 0;
  std::int32_t number = 0;
  const char* string = nullptr;
};

inline constexpr std::size_t kDirBufferSize = 256;

struct ValueStack {
  std::array<Value, kStackDepth> entries{};
  std::size_t depth = 0;
  const Value& top() const { return entries[depth ? depth - 1 : 0]; }
};

// Process-wide tables.
std::vector<Variable>& scriptVariables();
std::array<Variable, kSystemVarCount>& systemVariables();
ValueStack& valueStack();

// The variable an index names (script variable below 256, system variable
// from 256 on), or none for an index past either table.
Variable* variableAt(std::uint32_t index);

// Builds the script variables from the header's type words.
void buildVariables(std::span<const std::uint8_t> typeWords, std::uint16_t count);

// Computes the expression at the start of `bytes` (its count first); the
// result is the top of valueStack(). Returns 1, or 0 for a malformed
// expression (truncated token, unknown token, stack overflow or underflow,
// bad variable index, assignment to something else than a script variable,
// empty result). Unknown operator codes are skipped.
int evalExpression(std::span<const std::uint8_t> bytes);

// The bytes an expression at `bytes` occupies (2 + its count), or 0 when
// they do not fit.
std::size_t expressionSize(std::span<const std::uint8_t> bytes);

// A string that lives until the process ends.
const char* keepString(std::string_view text);

// The longest string a concatenation makes; longer results are cut there.
inline constexpr std::size_t kMaxStringBytes = std::size_t{1} << 20;

// A string made by a computation (a literal, a concatenation). It lives as
// long as a script or system variable or an entry of the value stack refers
// to it; reclaimStrings frees the others.
const char* makeString(std::string_view text);
// Frees the strings that nothing refers to any more, and the loaded entries
// that no variable holds (those kept by their record stay). Cheap when there
// is little to free: the work is done once the strings (or their bytes)
// made since the last time outnumber the ones kept then. The run loop calls it between two
// statements, where no command holds a computed string.
void reclaimStrings();
// Strings made by computations that are alive now (for tests).
std::size_t madeStringCount();
// A new run: frees every made string and loaded entry, empties the script
// and system variables and the value stack.
void releaseRunMemory();

// Fills the system variables at start-up.
void fillSystemVariables(std::int32_t programInstance);
// DRIVEINFO: FreeSpace of the drive of `path`, DriveType of the current
// directory's drive.
void refreshDriveInfo(const char* path);

// The text of a value's string, "" when it has none.
std::string_view stringOf(const Value& v);

}  // namespace setup
