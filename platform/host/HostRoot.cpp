#include "platform/HostRoot.h"

#include <cctype>
#include <cstdlib>

namespace platform {

std::string hostRoot() {
  if (const char* root = std::getenv("VELMORA_ROOT"); root && *root) return root;
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = home && *home ? home : ".";
    base.append("/.local/share");
  }
  base.append("/velmora");
  return base;
}

std::string hostPathFor(std::string_view windowsPath) {
  std::string out;
  std::string_view rest = windowsPath;
  if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    rest.remove_prefix(2);
    if (drive != 'z') {
      out = hostRoot();
      out.append("/drive_");
      out.push_back(drive);
    }
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) out += '/';
  }
  for (char c : rest) out += (c == '\\') ? '/' : c;
  if (out.empty()) out = "/";
  return out;
}

}  // namespace platform
