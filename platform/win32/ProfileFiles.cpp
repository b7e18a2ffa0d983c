#include "platform/ProfileFiles.h"

#include <windows.h>

namespace platform {

std::int32_t writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                                std::string_view file) {
  const std::string s(section), k(key), v(value), f(file);
  if (WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str())) return kErrorSuccess;
  const DWORD error = GetLastError();
  return error ? static_cast<std::int32_t>(error) : kErrorGenFailure;
}

std::int32_t readProfileString(std::string_view section, std::string_view key, std::string_view file,
                               std::string* value) {
  const std::string s(section), k(key), f(file);
  // A default no profile value can hold tells a missing key from an empty one.
  static constexpr char kMissing[] = "\n";
  char buffer[4096];
  const DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), kMissing, buffer, sizeof buffer, f.c_str());
  if (n == 1 && buffer[0] == '\n') {
    value->clear();
    return kErrorFileNotFound;
  }
  value->assign(buffer, n);
  return kErrorSuccess;
}

}  // namespace platform
