#pragma once
// The uninstaller: loads an installation's uninstall log and undoes what it
// records in three passes, always in this order:
//   1 undoRegistry     shortcuts, the uninstall entry, registry values and keys
//   2 undoFiles        copied files, shared-file counts; notes the backup folder
//   3 undoDirectories  the backup folder, the log itself, the made folders
// Failures inside the passes are passed over; only a log that cannot be
// opened is reported. One uninstaller per process.
#include <cstddef>
#include <string>
#include <string_view>

namespace uninstall {

// The application name's buffer: at most 127 characters and the NUL.
inline constexpr std::size_t kAppNameBytes = 128;

// What the front end hears while the passes run, on the thread that runs
// them. Every member may be null.
struct UninstallProgress {
  void* context = nullptr;
  // Pass 1, 2 or 3 is about to begin.
  void (*passBegins)(void* context, int pass) = nullptr;
  // All three passes are done.
  void (*finished)(void* context) = nullptr;
  // Asked before each record is acted on; true stops the passes there. What
  // is not done yet stays in the log, which stays in place for another run.
  bool (*cancelRequested)(void* context) = nullptr;
};

// The log path a command line names: the line as it is, or what stands
// between its quotes when the whole line is one quoted path (blanks after
// the closing quote allowed), as the system's list of programs may pass it.
std::string logPathFromCommandLine(std::string_view commandLine);

// Opens the log and finds the application name (the last UNINSTALLAPPNAME
// record). 0 on success, 1 when the log cannot be opened. The log stays open,
// read from its start again, until pass 3; loading again starts over.
int loadLog(std::string_view path);

// The application name, empty unless the log names one.
const char* appName();

void undoRegistry();
void undoFiles();
void undoDirectories();

// Runs the three passes in order with `progress` told about each. True when
// all three ran to the end, false when a cancel stopped them.
bool runPasses(const UninstallProgress& progress);

// Closes the log if it is open (the passes have not finished).
void closeLog();

}  // namespace uninstall
