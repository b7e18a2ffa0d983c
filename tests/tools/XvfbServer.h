#pragma once
// A private X display for the tests that need one: Xvfb on a free display
// number, ended when the object goes.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace velmora::testing {

class XvfbServer {
 public:
  // Starts Xvfb with one screen of width x height at 24 bits. display()
  // is empty when it could not start.
  XvfbServer(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    std::vector<std::string> argv = {"Xvfb",     "-displayfd", std::to_string(fds[1]), "-noreset", "-nolisten",
                                     "tcp",      "-screen",    "0",
                                     std::to_string(width) + "x" + std::to_string(height) + "x24"};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string number;
    char c;
    // Xvfb writes the display number and a newline once it accepts clients.
    while (pid_ > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XvfbServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace velmora::testing
