#include "platform/Programs.h"

#include <windows.h>

namespace platform {
namespace {

std::string commandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += ' ';
    line += '"' + a + '"';
  }
  return line;
}

// Starts the program with `output` (or nothing) as its standard output;
// with `drain`, reads the pipe end while it runs. `output` is closed here
// in every case. Its exit code, or -1.
int run(const std::vector<std::string>& argv, HANDLE output, HANDLE drain, std::string* out) {
  std::string line = commandLine(argv);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = output;
  PROCESS_INFORMATION pi{};
  const bool started = !argv.empty() && CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                                       nullptr, nullptr, &si, &pi);
  if (output) CloseHandle(output);
  if (!started) return -1;
  if (drain) {
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(drain, buf, sizeof buf, &n, nullptr) && n > 0) out->append(buf, n);
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

}  // namespace

std::string findProgram(std::string_view name) {
  char found[MAX_PATH];
  const std::string n(name);
  DWORD len = SearchPathA(nullptr, n.c_str(), ".exe", MAX_PATH, found, nullptr);
  return len > 0 && len < MAX_PATH ? std::string(found, len) : std::string();
}

int runAndWait(const std::vector<std::string>& argv) { return run(argv, nullptr, nullptr, nullptr); }

std::string runAndCapture(const std::vector<std::string>& argv, bool* ok) {
  std::string out;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  int code = -1;
  if (CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    code = run(argv, writeEnd, readEnd, &out);
    CloseHandle(readEnd);
  }
  if (ok) *ok = code == 0;
  return out;
}

std::string currentProgramPath() {
  char path[MAX_PATH];
  const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, len);
}

}  // namespace platform
