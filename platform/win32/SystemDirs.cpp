#include "platform/SystemDirs.h"

#include <windows.h>

namespace platform {
namespace {

template <typename Query>
std::string ask(Query query) {
  char buf[MAX_PATH + 1] = {};
  UINT n = query(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return {};
  return std::string(buf, n);
}

}  // namespace

std::string currentDirectory() {
  return ask([](char* b, UINT size) { return static_cast<UINT>(GetCurrentDirectoryA(size, b)); });
}
std::string windowsDirectory() {
  return ask([](char* b, UINT size) { return GetWindowsDirectoryA(b, size); });
}
std::string systemDirectory() {
  return ask([](char* b, UINT size) { return GetSystemDirectoryA(b, size); });
}

}  // namespace platform
