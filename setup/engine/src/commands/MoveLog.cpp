// The log's move to LogTarget at the end of a normal run.
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "setup/Commands.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {

constexpr std::uint64_t kLargestLog = 1ull << 30;

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool samePath(const std::string& a, const std::string& b) {
  const std::string na = platform::nativePath(a), nb = platform::nativePath(b);
  if (na.size() != nb.size()) return false;
  for (std::size_t i = 0; i < na.size(); ++i)
    if (folded(na[i]) != folded(nb[i])) return false;
  return true;
}

}  // namespace

void moveLogToTarget() {
  const Variable& targetVar = systemVariables()[kLogTarget];
  if (!targetVar.string) return;
  const std::string target = targetVar.string;
  const std::string& log = logPath();
  // Installed into the start directory: the log is there already.
  if (samePath(target, log)) return;
  std::int32_t error = platform::copyFile(log, target, platform::IfExists::Fail);
  if (error == platform::kErrorFileExists) {
    // A second installation into the same folder: its log goes on after the
    // first one's, header lines and all, so the uninstaller undoes both.
    std::vector<std::uint8_t> bytes;
    error = platform::readFile(log, kLargestLog, &bytes);
    if (error == platform::kErrorSuccess) error = platform::appendFile(target, bytes);
  }
  // The start directory's log goes only once its bytes are safe.
  if (error == platform::kErrorSuccess) platform::deleteFile(log);
}

}  // namespace setup
