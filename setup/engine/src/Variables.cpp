#include <cstring>
#include <deque>
#include <memory>

#include "setup/ScriptMachine.h"

namespace setup {

std::vector<Variable>& scriptVariables() {
  static std::vector<Variable> variables;
  return variables;
}

std::array<Variable, kSystemVarCount>& systemVariables() {
  static std::array<Variable, kSystemVarCount> variables;
  return variables;
}

ValueStack& valueStack() {
  static ValueStack stack;
  return stack;
}

Variable* variableAt(std::uint32_t index) {
  if (index < 256) {
    auto& vars = scriptVariables();
    return index < vars.size() ? &vars[index] : nullptr;
  }
  const std::uint32_t k = index / 256 - 1;
  return k < kSystemVarCount ? &systemVariables()[k] : nullptr;
}

void buildVariables(std::span<const std::uint8_t> typeWords, std::uint16_t count) {
  auto& vars = scriptVariables();
  vars.assign(count, Variable{});
  for (std::size_t i = 0; i < count && 2 * i < typeWords.size(); ++i) vars[i].type = typeWords[2 * i];
}

const char* keepString(std::string_view text) {
  // Strings made by the script are never released while the program runs.
  static std::deque<std::unique_ptr<char[]>> strings;
  auto block = std::make_unique<char[]>(text.size() + 1);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  block[text.size()] = '\0';
  strings.push_back(std::move(block));
  return strings.back().get();
}

std::string_view stringOf(const Value& v) { return v.string ? std::string_view(v.string) : std::string_view(); }

}  // namespace setup
