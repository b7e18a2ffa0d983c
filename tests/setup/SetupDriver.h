#pragma once
// Drives the real setup.exe as a person would: packs made with kestrin's
// core in a folder of their own, the program started there and driven
// through its windows (WindowDriver.h), and the uninstall log read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Compiler.h"
#include "PackWriter.h"
#include "WindowDriver.h"

namespace driver {

inline constexpr char kHeader[] = ";Uninstall Log (created by Kestrin 98)\n;----------------------------------------------\n";

// A fresh, empty folder C:\setup-tests\<name>.
inline std::string freshDir(const std::string& name) {
  const std::string dir = "C:\\setup-tests\\" + name;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir);
  return dir;
}

// SETUP.i00 in `dir` holding the compiled script and the further entries.
inline void pack(const std::string& dir, const std::string& source, std::vector<kestrin::PackInput> more = {}) {
  kestrin::Bytes script;
  std::string error;
  ASSERT_TRUE(kestrin::compileScript(source, "test.kes", &script, &error)) << error;
  std::vector<kestrin::PackInput> inputs;
  inputs.push_back({"script", "", script, 0});
  for (auto& m : more) inputs.push_back(std::move(m));
  ASSERT_TRUE(kestrin::writePack(dir + "\\SETUP", inputs, 0, nullptr, &error)) << error;
}

inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A log's records, one per line, after the two header lines.
inline std::vector<std::string> logRecords(const std::string& path) {
  const std::string log = fileText(path);
  std::vector<std::string> lines;
  if (log.rfind(kHeader, 0) != 0) return lines;
  std::size_t at = sizeof kHeader - 1;
  while (at < log.size()) {
    std::size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}
// The records of SETUP.log in `dir`.
inline std::vector<std::string> records(const std::string& dir) { return logRecords(dir + "\\SETUP.log"); }

inline int countOf(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const auto& l : lines) n += l == line;
  return n;
}

// One run of setup.exe from this program's folder, started in `dir`.
class Installer : public Program {
 public:
  Installer(const std::string& dir, const std::string& arguments = "")
      : Program("\"" + programDir() + "setup.exe\"" + (arguments.empty() ? "" : " " + arguments), dir) {}
};

}  // namespace driver
