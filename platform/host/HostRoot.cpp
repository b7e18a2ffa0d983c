#include "platform/HostRoot.h"

#include <cctype>
#include <cstdlib>

namespace platform {

std::string hostRoot() {
  if (const char* root = std::getenv("VELMORA_ROOT"); root && *root) return root;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::string(data) + "/velmora";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/velmora";
}

std::string hostPathFor(std::string_view windowsPath) {
  std::string out;
  std::string_view rest = windowsPath;
  if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    rest.remove_prefix(2);
    if (drive == 'z') {
      out = "";
    } else {
      out = hostRoot() + "/drive_" + drive;
    }
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) out += '/';
  }
  for (char c : rest) out += (c == '\\') ? '/' : c;
  if (out.empty()) out = "/";
  return out;
}

}  // namespace platform
