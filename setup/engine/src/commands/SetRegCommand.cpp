// SETREG: one registry value under one of the four roots.
#include <cstring>
#include <string>

#include "CommandSupport.h"
#include "platform/Registry.h"
#include "setup/Commands.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {

// Computes the expression at the start of `bytes`; its size, or 0 when it
// is malformed.
std::size_t compute(std::span<const std::uint8_t> bytes) {
  const std::size_t size = expressionSize(bytes);
  return size != 0 && evalExpression(bytes) ? size : 0;
}

// The result's text into an operand buffer; false when it does not fit.
bool intoBuffer(int which) {
  const std::string_view text = stringOf(valueStack().top());
  if (!fitsBuffer(text)) return false;
  char* buffer = engineState().operands[which];
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return true;
}

}  // namespace

bool setRegCommand(std::uint8_t root, std::span<const std::uint8_t> body) {
  using namespace platform;
  const std::size_t keySize = compute(body);
  if (keySize == 0) return false;
  const bool keyFits = intoBuffer(0);
  openRecord();
  // A root byte past HKEY_USERS names no root.
  if (!keyFits || root >= std::size(kRootNames)) {
    cancelRecord();
    return true;
  }
  const char* keyPath = engineState().operands[0];
  const RegKey rootKey = regRoot(static_cast<RegRoot>(root));
  RegKey key;
  std::uint32_t disposition = 0;
  if (regCreateKey(rootKey, keyPath, RegAccess::Write, &key, &disposition) != kErrorSuccess) {
    cancelRecord();
    return true;
  }
  // The value name and the value are computed only now that the key exists.
  const std::span<const std::uint8_t> rest = body.subspan(keySize);
  const std::size_t nameSize = compute(rest);
  if (nameSize == 0) {
    regCloseKey(key);
    cancelRecord();
    return false;
  }
  if (!intoBuffer(1)) {
    // No value of a shortened name; a key made for it goes again.
    regCloseKey(key);
    if (disposition == kRegCreatedNewKey) regDeleteKey(rootKey, keyPath);
    cancelRecord();
    return true;
  }
  const char* valueName = engineState().operands[1];
  if (compute(rest.subspan(nameSize)) == 0) {
    regCloseKey(key);
    cancelRecord();
    return false;
  }
  const Value value = valueStack().top();

  std::string text(kRootNames[root]);
  text += kFieldSeparator;
  text += keyPath;
  text += kFieldSeparator;
  text += valueName;
  completeRecord(kRecSetReg, text);

  if (value.type == 0) {
    const auto n = static_cast<std::uint32_t>(value.number);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
    regSetValue(key, valueName, kRegDword, bytes);
  } else {
    // The string with its terminating NUL.
    const char* s = value.string ? value.string : "";
    regSetValue(key, valueName, kRegSz, {reinterpret_cast<const std::uint8_t*>(s), std::strlen(s) + 1});
  }
  regCloseKey(key);
  return true;
}

}  // namespace setup
