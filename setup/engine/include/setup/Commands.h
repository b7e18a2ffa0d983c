#pragma once
// The install commands: the statements that change the system. The run loop
// computes a command's operands, skips the command during a dry run, and
// calls it here; each command writes its own record into the uninstall log
// (a completed record, or a cancelled one when it failed) and reports its
// progress step through FrontEndHooks::progressStep. All run on the worker
// thread.
//
// Operands that the commands keep in the engine's 256-byte operand buffers
// arrive as null when the computed text did not fit: the command then fails
// with a cancelled record (COPY of kind 1 silently) and never acts on a
// shortened path.
#include <cstdint>
#include <span>

namespace setup {

void makeDirectoryCommand(const char* path);    // MKDIR
void removeDirectoryCommand(const char* path);  // RMDIR
void backupCommand(const char* path);           // BACKUP
void runCommand(const char* commandLine);       // RUN

// COPY of every kind but kCopyShared: `source` is a pack entry when it
// starts with '@', else a file.
void copyCommand(std::uint8_t kind, const char* source, const char* destination);
// COPY of kind kCopyShared (SCOPY): the pack entry `source` installed as the
// shared file `name`.
void sharedCopyCommand(const char* source, const char* name);

// SETREG: computes its operands itself, in order (key; the value name and
// the value only once the key exists). `body` is the statement's body after
// the root byte. False when an operand is malformed.
bool setRegCommand(std::uint8_t root, std::span<const std::uint8_t> body);

void shortcutCommand(const char* target, const char* arguments, const char* linkPath, const char* description);
void uninstallRegCommand(const char* appName, const char* installDir);

// Counts one more user of the shared file `path` under SharedDLLs, creating
// the key when the system has none. The system's error code, 0 when counted.
std::int32_t countSharedFileUser(const char* path);

// The end of a normal run after UNINSTALLREG: brings the log to LogTarget.
// A log already there (an earlier installation into the same folder) gets
// this log appended, so it tells both installations; the start directory's
// log is deleted only once its bytes are safely there.
void moveLogToTarget();

}  // namespace setup
