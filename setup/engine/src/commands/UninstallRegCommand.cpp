// UNINSTALLREG: the product's entry in the list of installed programs, the
// uninstaller in the Windows directory, and the log's final place.
#include <cstring>
#include <string>

#include "CommandSupport.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "setup/Commands.h"
#include "setup/InstallPack.h"
#include "setup/RunLoop.h"
#include "setup/ScriptMachine.h"
#include "setup/UninstallLog.h"

namespace setup {
namespace {

std::string_view systemString(SystemVar k) {
  const char* s = systemVariables()[k].string;
  return s ? s : "";
}

void setString(platform::RegKey key, std::string_view name, const std::string& value) {
  platform::regSetValue(key, name, platform::kRegSz,
                        {reinterpret_cast<const std::uint8_t*>(value.c_str()), value.size() + 1});
}

}  // namespace

void uninstallRegCommand(const char* appName, const char* installDir) {
  using namespace platform;
  if (!appName || !installDir) {
    openRecord();
    cancelRecord();
    return;
  }
  const std::string key = std::string(kUninstallKeyPrefix) + appName;
  writeRecord(std::string(kRecordKeywords[kRecUninstallReg]) + " " + key);
  writeRecord(std::string(kRecordKeywords[kRecUninstallAppName]) + " " + appName);

  const std::string windowsDir(systemString(kWindowsDir));
  const std::string logName(logNameBuffer());
  const std::string uninstaller = windowsDir + "\\" + std::string(kUninstallerName);
  const std::string logTarget = std::string(installDir) + "\\" + logName;
  RegKey entry;
  if (regCreateKey(regRoot(RegRoot::LocalMachine), key, RegAccess::Write, &entry, nullptr) == kErrorSuccess) {
    setString(entry, kDisplayNameValue, appName);
    setString(entry, kUninstallStringValue, uninstaller + " " + logTarget);
    regCloseKey(entry);
  }
  // The log moves there at the end of a normal run; a path too long for
  // LogTarget's buffer leaves the log where it is.
  if (fitsBuffer(logTarget)) {
    Variable& target = systemVariables()[kLogTarget];
    target.string = makeString(logTarget);  // freed once nothing refers to it
    target.type = 1;
    Variable& move = systemVariables()[kMoveLog];
    move.number = 1;
    move.type = 0;
  }
  copyEntry(engineState().pack, kUninstallerEntry, uninstaller);
  countSharedFileUser(uninstaller.c_str());
}

}  // namespace setup
