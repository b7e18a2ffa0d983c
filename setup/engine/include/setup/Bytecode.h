#pragma once
// The installer's bytecode, defined once: statement opcodes with their
// operand layouts, expression tokens and operators, the system variables,
// and the codes inside background items and dialog requests. The run loop,
// the expression engine, the front end, and kestrin's compiler, checker and
// disassembler all read these tables.
//
// Layouts (integers little-endian):
//   expression   count L (16 bits), then L bytes of postfix tokens
//   element      length (16 bits), then that many bytes (background items,
//                dialog requests); an expression inside an element has the
//                expression layout
//   statement    opcode, then for every statement but GOTO and IFNOT a count
//                L (16 bits) and L bytes of body; it occupies L + 3 bytes
#include <cstdint>
#include <string_view>

namespace setup {

// ---------------------------------------------------------------- statements

enum Opcode : std::uint8_t {
  kOpGoto = 0x80,          // target (16 bits)
  kOpIfNot = 0x81,         // target (16 bits), expression
  kOpEval = 0x82,          // expression
  kOpSetReg = 0x83,        // L, root byte, key, value name, value
  kOpLogText = 0x86,       // expression
  kOpBackground = 0x87,    // L, background items
  kOpDialog = 0x88,        // L, kind byte, elements
  kOpMkdir = 0x89,         // expression
  kOpRmdir = 0x8A,         // expression
  kOpCopy = 0x8B,          // L, kind byte, source, destination
  kOpRun = 0x8F,           // expression
  kOpBackup = 0x90,        // expression
  kOpShortcut = 0x91,      // L, target, arguments, link path, description
  kOpUninstallReg = 0x92,  // L, application name, installation directory
  kOpLoadEntry = 0x93,     // L, three unread bytes, variable (16 bits), expression
  kOpAbort = 0x94,         // nothing is read
  kOpDriveInfo = 0x95,     // expression
};

// How a statement's bytes are laid out after its opcode.
enum class Layout : std::uint8_t {
  Jump,         // GOTO: a 16-bit target
  JumpIf,       // IFNOT: a 16-bit target and an expression
  Expression,   // one expression whose count is the statement's count
  Expressions,  // L, then `operands` expressions one after the other
  KindAndExpressions,  // L, a kind or root byte, then `operands` expressions
  Items,        // L, then elements read by the front end
  DialogItems,  // L, a kind byte, then elements read by the front end
  LoadEntry,    // L, three unread bytes, a variable index, an expression
  Bare,         // ABORT: nothing after the opcode is read
};

struct StatementInfo {
  Opcode opcode;
  std::string_view name;  // lower case, as the script language spells it
  Layout layout;
  std::uint8_t operands;  // expressions, for the layouts that have them
  bool changesSystem;     // skipped (after its operands) during a dry run
};

inline constexpr StatementInfo kStatements[] = {
    {kOpGoto, "goto", Layout::Jump, 0, false},
    {kOpIfNot, "ifnot", Layout::JumpIf, 1, false},
    {kOpEval, "eval", Layout::Expression, 1, false},
    {kOpSetReg, "setreg", Layout::KindAndExpressions, 3, true},
    {kOpLogText, "logtext", Layout::Expression, 1, false},
    {kOpBackground, "background", Layout::Items, 0, false},
    {kOpDialog, "dialog", Layout::DialogItems, 0, false},
    {kOpMkdir, "mkdir", Layout::Expression, 1, true},
    {kOpRmdir, "rmdir", Layout::Expression, 1, true},
    {kOpCopy, "copy", Layout::KindAndExpressions, 2, true},
    {kOpRun, "run", Layout::Expression, 1, true},
    {kOpBackup, "backup", Layout::Expression, 1, true},
    {kOpShortcut, "shortcut", Layout::Expressions, 4, true},
    {kOpUninstallReg, "uninstallreg", Layout::Expressions, 2, true},
    {kOpLoadEntry, "loadentry", Layout::LoadEntry, 1, false},
    {kOpAbort, "abort", Layout::Bare, 0, false},
    {kOpDriveInfo, "driveinfo", Layout::Expression, 1, false},
};

// The statement an opcode starts, or none (0x84, 0x85, 0x8C..0x8E and every
// byte outside 0x80..0x95 are not statements).
constexpr const StatementInfo* statementInfo(std::uint8_t opcode) {
  for (const StatementInfo& s : kStatements)
    if (s.opcode == opcode) return &s;
  return nullptr;
}

// COPY's kind byte (any other kind behaves as kCopyLogged).
inline constexpr std::uint8_t kCopyLogged = 0;
inline constexpr std::uint8_t kCopyUnlogged = 1;
inline constexpr std::uint8_t kCopyShared = 2;

// SETREG's root byte: 0 HKEY_CLASSES_ROOT .. 3 HKEY_USERS (LogFormat.h names them).

// --------------------------------------------------------------- expressions

inline constexpr std::uint8_t kTokenString = 0xFB;    // code, len (16 bits), len bytes
inline constexpr std::uint8_t kTokenOperator = 0xFC;  // code, unread byte, operator
inline constexpr std::uint8_t kTokenVariable = 0xFD;  // code, unread byte, index (16 bits)
inline constexpr std::uint8_t kTokenNumber = 0xFE;    // code, unread byte, value (32 bits)

// The bytes each token occupies (a string adds its length).
inline constexpr std::size_t kStringTokenHead = 3;
inline constexpr std::size_t kOperatorTokenSize = 3;
inline constexpr std::size_t kVariableTokenSize = 4;
inline constexpr std::size_t kNumberTokenSize = 6;

enum Operator : std::uint8_t {
  kOpAssign = 0,
  kOpOr = 2,
  kOpAnd = 4,
  kOpEqual = 6,
  kOpNotEqual = 8,
  kOpLess = 10,
  kOpGreater = 12,
  kOpLessEqual = 14,
  kOpGreaterEqual = 16,
  kOpAdd = 18,
  kOpSubtract = 20,
  kOpMultiply = 22,
  kOpDivide = 24,
  kOpNot = 26,     // unary
  kOpNegate = 28,  // unary
};

inline constexpr std::size_t kStackDepth = 256;

// ------------------------------------------------------------------ variables

// Script variables are numbered from 0 (below 256); system variable k is
// named by the index (k + 1) * 256 (its low byte is ignored).
inline constexpr std::uint32_t kFirstSystemIndex = 256;

enum SystemVar : int {
  kStartDir,
  kWindowsDir,
  kSystemDir,
  kLogName,
  kProgramInstance,
  kFreeSpace,
  kDriveType,
  kSourceDir,
  kBackupDir,
  kBackupOn,
  kLogTarget,
  kMoveLog,
  kSystemVarCount
};

inline constexpr std::string_view kSystemVarNames[kSystemVarCount] = {
    "StartDir",  "WindowsDir", "SystemDir", "LogName",  "ProgramInstance", "FreeSpace",
    "DriveType", "SourceDir",  "BackupDir", "BackupOn", "LogTarget",       "MoveLog"};

constexpr std::uint16_t systemVarIndex(SystemVar k) { return static_cast<std::uint16_t>((k + 1) * 256); }

// DriveType's words, by the system's drive type code.
inline constexpr const char* kDriveTypeWords[] = {"unknown", "no_root", "removable", "fixed",
                                                       "remote",  "cdrom",   "ramdisk"};

// ------------------------------------------------------- background items

// A BACKGROUND body is a list of items, each a kind byte and its elements.
enum BackgroundItem : std::uint8_t {
  kItemGradient = 0,  // six number expressions: start r, g, b, end r, g, b
  kItemTitle = 2,     // text, style element, size, r, g, b
  kItemSubtitle = 3,  // as the title
  kItemFooter = 4,    // as the title
};

// The first byte of a text item's style element: bold and italic bits, and
// the face in the bits of kStyleFaceMask.
inline constexpr std::uint8_t kStyleBold = 1;
inline constexpr std::uint8_t kStyleItalic = 2;
inline constexpr std::uint8_t kStyleFaceMask = 12;
inline constexpr std::uint8_t kFaceArial = 0;
inline constexpr std::uint8_t kFaceTimes = 4;
inline constexpr std::uint8_t kFaceSystem = 8;
inline constexpr std::uint8_t kFaceDefault = 12;  // the system's default face

// ------------------------------------------------------------ dialog requests

enum DialogKind : std::uint8_t {
  kDialogMessage = 0,   // icon, caption, text, buttons, result variable
  kDialogInfo = 1,      // picture, caption, text element, buttons, result variable
  kDialogInput = 2,     // as info
  kDialogProgress = 3,  // show code, caption, text, total
  kDialogPath = 4,      // as info
};

// Icon codes of a message ('0'..'3'); any other keeps the previous icon.
inline constexpr std::uint8_t kIconStop = '0';
inline constexpr std::uint8_t kIconExclamation = '1';
inline constexpr std::uint8_t kIconInformation = '2';
inline constexpr std::uint8_t kIconQuestion = '3';
// Button codes; any other code is OK and Cancel.
inline constexpr std::uint8_t kButtonsOkCancel = '@';
inline constexpr std::uint8_t kButtonsYesNo = 'A';
// Show codes of the progress request; any other keeps the show flag.
inline constexpr std::uint8_t kProgressShow = 0x80;
inline constexpr std::uint8_t kProgressHide = 0x81;
// A text element whose first byte is this marker names a variable (the next
// two bytes) whose string is the text; otherwise it is an expression.
inline constexpr std::uint8_t kTextFromVariable = 0xFC;

}  // namespace setup
