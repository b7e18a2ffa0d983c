#pragma once
// The uninstall log's format, shared by the writer (the installer) and the
// reader (the uninstaller): the header, the record keywords and the notes of
// the worker protocol.
//
//   header        two lines, kLogHeader
//   completed     "[" text "]" LF
//   cancelled     "[" "#" LF
//   error         "*ERROR #<number>@<pc>," message "*"   (no LF)
//
// An action record's text is its keyword, one space and its operand(s);
// SETREG's fields are separated by ';'.
#include <string_view>

namespace setup {

inline constexpr std::string_view kLogHeader =
    ";Uninstall Log (created by Kestrin 98)\n"
    ";----------------------------------------------\n";
inline constexpr std::string_view kLogSuffix = ".log";

inline constexpr char kRecordOpen = '[';
inline constexpr char kRecordClose = ']';
inline constexpr char kRecordCancel = '#';
inline constexpr char kFieldSeparator = ';';

// The keywords of action records, in the order the uninstaller tries them
// (the index is the record kind). A record's text is the keyword, one
// space and its operand(s).
enum RecordKind : int {
  kRecMkdir,
  kRecRmdir,
  kRecCopy,
  kRecSharedCopy,
  kRecBackup,
  kRecShortcut,
  kRecUninstallReg,
  kRecUninstallAppName,
  kRecSetReg,
  kRecDelReg,  // written by no command, only by a script's LOGTEXT
  kRecordKindCount
};
inline constexpr std::string_view kRecordKeywords[kRecordKindCount] = {
    "MKDIR", "RMDIR", "COPY", "SCOPY", "BACKUP", "SHORTCUT", "UNINSTALLREG", "UNINSTALLAPPNAME", "SETREG", "DELREG"};

// The registry roots as records name them, in the order 0 HKEY_CLASSES_ROOT
// .. 3 HKEY_USERS (SETREG's root byte); SETREG writes each followed by ';'.
inline constexpr std::string_view kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                  "HKEY_USERS"};

// Record texts that start so are notes, not actions.
inline constexpr char kNoteMarker = '!';
inline constexpr char kErrorMarker = '*';

// The notes of the halt and abort exchange.
inline constexpr std::string_view kNoteHaltRequest = "!%%% EXTERN:HALT REQUEST %%%%";
inline constexpr std::string_view kNoteHaltAck = "!%%% RUNLOOP: HALT ACK ....";
inline constexpr std::string_view kNoteAbortRequest = "!%%% EXTERN:ABORT REQUEST %%%%";
inline constexpr std::string_view kNoteAbortAck = "!%%% RUNLOOP: ABORT ACK ....";
inline constexpr std::string_view kNoteAbortOk = "!%%% EXTERN:ABORT OK %%%%";

// Registry places the installer writes and the uninstaller undoes
// (under HKEY_LOCAL_MACHINE).
inline constexpr std::string_view kUninstallKeyPrefix = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr std::string_view kDisplayNameValue = "DisplayName";
inline constexpr std::string_view kUninstallStringValue = "UninstallString";
// The uninstaller's file name in the Windows directory, and the pack entry
// it is copied from.
inline constexpr std::string_view kUninstallerName = "uninstall.exe";
inline constexpr std::string_view kUninstallerEntry = "uninstall";

}  // namespace setup
