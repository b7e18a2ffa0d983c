#include <windows.h>

#include "platform/Programs.h"

namespace platform {

std::int32_t startProgram(std::string_view commandLine, int showCommand) {
  const std::string line(commandLine);
  const UINT result = WinExec(line.c_str(), static_cast<UINT>(showCommand));
  // Above 31 the program was started; below it is the reason it was not.
  if (result > 31) return kErrorSuccess;
  return result == 0 ? kErrorNotEnoughMemory : static_cast<std::int32_t>(result);
}

}  // namespace platform
