#pragma once
// Starting other programs.
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemError.h"

namespace platform {

// The full path of a program found on the search path, or "" if none.
std::string findProgram(std::string_view name);

// Runs a program (argv[0] looked up on the search path) with its output
// discarded, and waits for it. Its exit code, or -1 when it could not start
// or did not end normally.
int runAndWait(const std::vector<std::string>& argv);

// Runs a program and returns what it wrote on its standard output; nullopt
// semantics by `ok`: false when it could not start or exited non-zero.
std::string runAndCapture(const std::vector<std::string>& argv, bool* ok);

// Starts a program from a Windows command line, as WinExec does, without
// waiting for it. `showCommand` is a ShowWindow code (SW_SHOW is 5). On the
// host the first word (quoted or not) names the program by Windows path.
// kErrorSuccess when it was started.
std::int32_t startProgram(std::string_view commandLine, int showCommand);

// The path of the running program.
std::string currentProgramPath();

}  // namespace platform
