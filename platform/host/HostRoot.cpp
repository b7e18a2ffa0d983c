#include "platform/HostRoot.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

// Fuzzing and fault tests run scripts that name any path; with
// VELMORA_CONFINE set, a path that would lead out of the host root (drive
// Z:, an absolute host path, "..") is taken to <root>/outside instead.
bool gConfined = [] {
  const char* confine = std::getenv("VELMORA_CONFINE");
  return confine && *confine && *confine != '0';
}();

std::string confined(std::string path) {
  namespace fs = std::filesystem;
  fs::path p(path);
  if (p.is_relative()) {
    std::string cwd(4096, '\0');
    if (!::getcwd(cwd.data(), cwd.size())) cwd = "/";
    p = fs::path(cwd.c_str()) / p;
  }
  const std::string normal = p.lexically_normal().string();
  const std::string root = fs::path(hostRoot()).lexically_normal().string();
  if (normal == root || normal.starts_with(root + "/")) return normal;
  return root + "/outside" + normal;
}

}  // namespace

void confineToHostRoot(bool on) { gConfined = on; }

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
  if (gConfined) [[unlikely]]
    return confined(std::move(out));
  return out;
}

}  // namespace platform
