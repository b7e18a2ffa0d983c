// `velmora autostart on|off`: an XDG autostart entry that makes a new
// wallpaper at every log-on.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "Commands.h"
#include "platform/Programs.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path autostartEntry() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (config && *config) {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : ".") / ".config";
  }
  return base / "autostart" / "velmora.desktop";
}

// An Exec argument in double quotes, with the characters the desktop entry
// format reserves escaped.
std::string quoted(const std::string& arg) {
  std::string out = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

int runAutostart(const std::string& state) {
  const fs::path entry = autostartEntry();
  std::error_code ec;
  if (state == "off") {
    fs::remove(entry, ec);
    if (ec) {
      std::cerr << "velmora: cannot remove " << entry.string() << ": " << ec.message() << "\n";
      return 1;
    }
    std::cout << "Autostart off (" << entry.string() << " removed)\n";
    return 0;
  }
  const std::string program = platform::currentProgramPath();
  fs::create_directories(entry.parent_path(), ec);
  const fs::path temp = entry.string() + ".new";
  {
    std::ofstream out(temp);
    out << "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velmora\n"
           "Comment=A new random wallpaper at every log-on\n"
           "Exec="
        << quoted(program.empty() ? "velmora" : program)
        << " new --apply\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
    if (!out.flush()) {
      std::cerr << "velmora: cannot write " << temp.string() << "\n";
      return 1;
    }
  }
  fs::rename(temp, entry, ec);
  if (ec) {
    std::cerr << "velmora: cannot write " << entry.string() << ": " << ec.message() << "\n";
    fs::remove(temp, ec);
    return 1;
  }
  std::cout << "Autostart on: " << entry.string() << "\n";
  return 0;
}

}  // namespace

void addAutostartCommand(CLI::App& app, int& status) {
  auto state = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("autostart", "Make a new wallpaper at every log-on (on), or stop (off)");
  cmd->add_option("state", *state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
  cmd->callback([state, &status] { status = runAutostart(*state); });
}

}  // namespace velmora
