#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>

#include "setup/InstallPack.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"

namespace setup {
namespace {

// The strings computations make, with how many were alive after the last
// reclaim; a reclaim does nothing until the store has grown well past that.
struct Made {
  std::unique_ptr<char[]> block;
  std::size_t bytes = 0;
};

struct MadeStrings {
  std::vector<Made> blocks;
  std::size_t bytes = 0;  // of all blocks
  std::size_t keptLastTime = 0;
  std::size_t bytesKeptLastTime = 0;
  std::size_t entriesLastTime = 0;
};

MadeStrings& madeStrings() {
  static MadeStrings store;
  return store;
}

constexpr std::size_t kReclaimFloor = 1024;
constexpr std::size_t kReclaimBytesFloor = std::size_t{16} << 20;
constexpr std::size_t kEntryReclaimFloor = 16;

std::unique_ptr<char[]> copyOf(std::string_view text) {
  auto block = std::make_unique<char[]>(text.size() + 1);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  block[text.size()] = '\0';
  return block;
}

// Every string a variable or a stack entry refers to, sorted.
std::vector<const char*> referencedStrings() {
  std::vector<const char*> refs;
  for (const Variable& v : scriptVariables())
    if (v.string) refs.push_back(v.string);
  for (const Variable& v : systemVariables())
    if (v.string) refs.push_back(v.string);
  const ValueStack& stack = valueStack();
  for (std::size_t i = 0; i < stack.depth; ++i)
    if (stack.entries[i].string) refs.push_back(stack.entries[i].string);
  std::sort(refs.begin(), refs.end());
  return refs;
}

}  // namespace

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
  // Never released while the program runs.
  static std::deque<std::unique_ptr<char[]>> strings;
  strings.push_back(copyOf(text));
  return strings.back().get();
}

const char* makeString(std::string_view text) {
  MadeStrings& store = madeStrings();
  store.blocks.push_back({copyOf(text), text.size() + 1});
  store.bytes += text.size() + 1;
  return store.blocks.back().block.get();
}

void reclaimStrings() {
  MadeStrings& store = madeStrings();
  const bool strings = store.blocks.size() >= std::max(kReclaimFloor, 2 * store.keptLastTime) ||
                       store.bytes >= std::max(kReclaimBytesFloor, 2 * store.bytesKeptLastTime);
  const bool entries = loadedEntryCount() >= std::max(kEntryReclaimFloor, 2 * store.entriesLastTime);
  if (!strings && !entries) return;
  const std::vector<const char*> refs = referencedStrings();
  const auto referenced = [&](const char* p) { return std::binary_search(refs.begin(), refs.end(), p); };
  std::erase_if(store.blocks, [&](const Made& made) {
    if (referenced(made.block.get())) return false;
    store.bytes -= made.bytes;
    return true;
  });
  store.keptLastTime = store.blocks.size();
  store.bytesKeptLastTime = store.bytes;
  // Entries loaded again and again without being kept go the same way.
  const PackEntry* script = engineState().script;
  releaseUnusedEntries([&](const PackEntry& entry) {
    return &entry != script && !referenced(reinterpret_cast<const char*>(entry.data));
  });
  store.entriesLastTime = loadedEntryCount();
}

std::size_t madeStringCount() { return madeStrings().blocks.size(); }

void releaseRunMemory() {
  scriptVariables().clear();
  systemVariables() = {};  // filled again by the start that follows
  valueStack() = ValueStack{};
  madeStrings() = MadeStrings{};
  releaseLoadedEntries();
}

std::string_view stringOf(const Value& v) { return v.string ? std::string_view(v.string) : std::string_view(); }

}  // namespace setup
