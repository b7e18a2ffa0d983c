#pragma once
// Running a command line the way a user does, for the command tests.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmora::testing {

struct Outcome {
  int status;
  std::string out;
};

// Runs a shell command line, capturing its standard output (redirect
// stderr in the command line to capture that too).
inline Outcome shell(const std::string& command) {
  Outcome r{-1, {}};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buf;
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe)) r.out.append(buf.data(), n);
  const int raw = ::pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

inline std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace velmora::testing
