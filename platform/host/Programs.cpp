#include "platform/Programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace platform {
namespace {

std::vector<char*> argvOf(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Spawns with stdout sent to `outFd` (or /dev/null) and stderr discarded.
pid_t spawn(const std::vector<std::string>& argv, int outFd) {
  if (argv.empty()) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  std::vector<char*> args = argvOf(argv);
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string findProgram(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + std::string(name);
    if (::access(candidate.c_str(), X_OK) == 0) {
      struct stat st {};
      if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return candidate;
    }
    if (colon == std::string_view::npos) return "";
    rest.remove_prefix(colon + 1);
  }
}

int runAndWait(const std::vector<std::string>& argv) {
  const pid_t pid = spawn(argv, -1);
  return pid < 0 ? -1 : waitFor(pid);
}

std::string runAndCapture(const std::vector<std::string>& argv, bool* ok) {
  std::string out;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    if (ok) *ok = false;
    return out;
  }
  const pid_t pid = spawn(argv, fds[1]);
  ::close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  const int code = pid < 0 ? -1 : waitFor(pid);
  if (ok) *ok = code == 0;
  return out;
}

std::string currentProgramPath() {
  std::error_code ec;
  const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

}  // namespace platform
