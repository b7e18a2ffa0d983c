// Starting a program from a Windows command line on the host: the first
// word (in double quotes when it holds spaces) is the program's Windows
// path, mapped under the root; the other words become its arguments, split
// at blanks outside double quotes. The program is started in a grandchild
// process, so nothing waits for it and it leaves no zombie behind.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Programs.h"

namespace platform {
namespace {

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

}  // namespace

std::int32_t startProgram(std::string_view commandLine, int /*showCommand*/) {
  std::vector<std::string> words = splitCommandLine(commandLine);
  if (words.empty()) return kErrorFileNotFound;
  words[0] = nativePath(words[0]);
  struct stat st {};
  if (::stat(words[0].c_str(), &st) != 0) return errno == ENOENT ? kErrorFileNotFound : kErrorAccessDenied;
  if (!S_ISREG(st.st_mode) || ::access(words[0].c_str(), X_OK) != 0) return kErrorAccessDenied;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) return kErrorNotEnoughMemory;
  if (child == 0) {
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kErrorSuccess : kErrorNotEnoughMemory;
}

}  // namespace platform
