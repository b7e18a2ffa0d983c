#pragma once
// The script language's words for the bytecode's codes, shared by the
// compiler and the disassembler. The codes themselves come from the
// installer's bytecode table; only the spelling in scripts is defined here.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "setup/Bytecode.h"
#include "setup/LogFormat.h"

namespace kestrin {

struct Word {
  std::string_view word;
  std::uint8_t code;
};

// Binary operators by precedence level, loosest (0) first.
struct BinaryOperator {
  std::string_view symbol;
  std::uint8_t code;
  int level;
};
inline constexpr BinaryOperator kBinaryOperators[] = {
    {"||", setup::kOpOr, 0},        {"&&", setup::kOpAnd, 1},           {"==", setup::kOpEqual, 2},
    {"!=", setup::kOpNotEqual, 2},  {"<", setup::kOpLess, 3},           {">", setup::kOpGreater, 3},
    {"<=", setup::kOpLessEqual, 3}, {">=", setup::kOpGreaterEqual, 3},  {"+", setup::kOpAdd, 4},
    {"-", setup::kOpSubtract, 4},   {"*", setup::kOpMultiply, 5},       {"/", setup::kOpDivide, 5},
};
inline constexpr int kBinaryLevels = 6;

inline constexpr Word kBackgroundWords[] = {{"gradient", setup::kItemGradient},
                                            {"title", setup::kItemTitle},
                                            {"subtitle", setup::kItemSubtitle},
                                            {"footer", setup::kItemFooter}};

inline constexpr Word kDialogWords[] = {{"message", setup::kDialogMessage},
                                        {"info", setup::kDialogInfo},
                                        {"input", setup::kDialogInput},
                                        {"progress", setup::kDialogProgress},
                                        {"path", setup::kDialogPath}};

inline constexpr Word kIconWords[] = {{"stop", setup::kIconStop},
                                      {"exclamation", setup::kIconExclamation},
                                      {"information", setup::kIconInformation},
                                      {"question", setup::kIconQuestion}};

inline constexpr Word kButtonWords[] = {{"okcancel", setup::kButtonsOkCancel}, {"yesno", setup::kButtonsYesNo}};

inline constexpr Word kShowWords[] = {{"show", setup::kProgressShow}, {"hide", setup::kProgressHide}};

inline constexpr Word kStyleWords[] = {{"arial", setup::kFaceArial},          {"bold", setup::kStyleBold},
                                       {"italic", setup::kStyleItalic},       {"times", setup::kFaceTimes},
                                       {"system", setup::kFaceSystem},        {"default_face", setup::kFaceDefault}};

// SETREG's root byte is the index of the root's name in the log's table.
inline constexpr Word kRootWords[] = {{"HKCR", 0}, {"HKCU", 1}, {"HKLM", 2}, {"HKU", 3}};
static_assert(setup::kRootNames[0] == "HKEY_CLASSES_ROOT" && setup::kRootNames[1] == "HKEY_CURRENT_USER" &&
              setup::kRootNames[2] == "HKEY_LOCAL_MACHINE" && setup::kRootNames[3] == "HKEY_USERS");

// The variable index a dialog's picture element carries for "no picture": a
// system variable, which leaves the previous picture in place.
inline constexpr std::uint16_t kNoPicture = setup::kFirstSystemIndex;

constexpr std::optional<std::uint8_t> codeOf(std::span<const Word> words, std::string_view word) {
  for (const Word& w : words)
    if (w.word == word) return w.code;
  return std::nullopt;
}

constexpr std::optional<std::string_view> wordOf(std::span<const Word> words, std::uint8_t code) {
  for (const Word& w : words)
    if (w.code == code) return w.word;
  return std::nullopt;
}

// The name of system variable index `index` (its low byte ignored), or none.
constexpr std::optional<std::string_view> systemVarName(std::uint32_t index) {
  if (index < setup::kFirstSystemIndex) return std::nullopt;
  const std::uint32_t k = index / 256 - 1;
  if (k >= static_cast<std::uint32_t>(setup::kSystemVarCount)) return std::nullopt;
  return setup::kSystemVarNames[k];
}

}  // namespace kestrin
