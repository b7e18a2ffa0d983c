#pragma once
// Checking a compiled script entry the way the installer will read it: the
// header, every statement and its operands, every expression token, the
// elements of background items and dialog requests, and every jump. The
// installer trusts its bytecode; this finds what it would trip over.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestrin {

struct ScriptFault {
  bool inHeader = false;
  std::uint32_t pc = 0;        // the faulty statement's offset in the code
  std::string statement;       // its name, empty when it has none
  std::string what;
};

struct ScriptSummary {
  std::uint32_t variables = 0;
  std::size_t codeBytes = 0;
  std::size_t statements = 0;
};

// None when the whole script is sound; else its first fault (the one at the
// lowest program counter, the header before any statement).
std::optional<ScriptFault> checkScript(std::span<const std::uint8_t> entry, ScriptSummary* summary = nullptr);

// "header: ..." or "pc 26 (mkdir): ...".
std::string describe(const ScriptFault& fault);

}  // namespace kestrin
