#pragma once
// Where the run loop reaches the front end and the install commands. Each
// hook may be left empty: then the request or command does nothing. Strings
// handed to commands are the computed operands (at most 255 bytes each).
#include <cstdint>
#include <functional>
#include <span>

namespace setup {

struct FrontEndHooks {
  // BACKGROUND: the statement from its count field on.
  std::function<void(std::span<const std::uint8_t> statement)> setBackground;
  // DIALOG kinds 0..4: the operands after the kind byte.
  std::function<void(std::uint8_t kind, std::span<const std::uint8_t> operands)> dialogRequest;
  // The abort question; `fromUser` 0 from the ABORT statement. 1 to abort.
  std::function<int(int fromUser)> confirmAbort;
  // One step of the progress dialog (used by the commands).
  std::function<void(const char* message, const char* detail)> progressStep;
};

struct CommandHooks {
  std::function<void(const char* path)> makeDirectory;    // MKDIR
  std::function<void(const char* path)> removeDirectory;  // RMDIR
  std::function<void(const char* path)> backup;           // BACKUP
  std::function<void(const char* commandLine)> run;       // RUN
  // COPY kinds 0, 1 and others; kind 2 is SCOPY.
  std::function<void(std::uint8_t kind, const char* source, const char* destination)> copy;
  // SETREG computes its own operands (the key, the value name, the value),
  // in its own order; it is not called at all during a dry run.
  std::function<void(std::uint8_t root, std::span<const std::uint8_t> expressions)> setReg;
  std::function<void(const char* target, const char* arguments, const char* linkPath, const char* description)>
      shortcut;
  std::function<void(const char* appName, const char* installDir)> uninstallReg;
};

}  // namespace setup
