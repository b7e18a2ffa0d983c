#include "platform/SystemDirs.h"

#include <unistd.h>

#include <cctype>
#include <string>

#include "platform/HostRoot.h"

namespace platform {
namespace {

std::string windowsStyle(std::string_view rest) {
  std::string out;
  for (char c : rest) out += (c == '/') ? '\\' : c;
  return out;
}

}  // namespace

std::string currentDirectory() {
  std::string cwd(4096, '\0');
  if (!::getcwd(cwd.data(), cwd.size())) return "Z:\\";
  cwd.resize(std::char_traits<char>::length(cwd.c_str()));
  // Inside <root>/drive_x/ the path is on drive X:.
  const std::string prefix = hostRoot() + "/drive_";
  if (cwd.compare(0, prefix.size(), prefix) == 0 && cwd.size() > prefix.size() &&
      std::isalpha(static_cast<unsigned char>(cwd[prefix.size()])) &&
      (cwd.size() == prefix.size() + 1 || cwd[prefix.size() + 1] == '/')) {
    std::string out(1, static_cast<char>(std::toupper(static_cast<unsigned char>(cwd[prefix.size()]))));
    out += ':';
    std::string rest = cwd.substr(prefix.size() + 1);
    out += rest.empty() ? "\\" : windowsStyle(rest);
    return out;
  }
  return "Z:" + windowsStyle(cwd);
}

std::string windowsDirectory() { return "C:\\windows"; }
std::string systemDirectory() { return "C:\\windows\\system32"; }

}  // namespace platform
