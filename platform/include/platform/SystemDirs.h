#pragma once
// The directories a Windows program asks the system for. On the Linux host
// the Windows directory is "C:\windows" and the system directory
// "C:\windows\system32" under the root (see HostRoot.h); the current
// directory is the process's own, spelt as a Windows path: "C:\..." when it
// lies in a drive folder under the root, "Z:\..." otherwise.
#include <string>

namespace platform {

std::string currentDirectory();
std::string windowsDirectory();
std::string systemDirectory();

}  // namespace platform
