// Pass 1: shortcuts, the uninstall entry, registry values and keys.
#include "UninstallerState.h"
#include "platform/Registry.h"

namespace uninstall {
namespace {

using platform::RegKey;

// The root a record names, through the root table; false for none.
bool rootNamed(const char* name, RegKey* root) {
  const int index = matchKeyword(name, setup::kRootNames, 4);
  if (index < 0) return false;
  *root = platform::regRoot(static_cast<platform::RegRoot>(index));
  return true;
}

void removeUninstallEntry(const char* subKey) {
  const RegKey machine = platform::regRoot(platform::RegRoot::LocalMachine);
  RegKey key;
  if (platform::regOpenKey(machine, subKey, platform::RegAccess::All, &key) == 0) {
    noteRegistryResult(platform::regDeleteValue(key, setup::kDisplayNameValue));
    noteRegistryResult(platform::regDeleteValue(key, setup::kUninstallStringValue));
    platform::regCloseKey(key);
  }
  noteRegistryResult(platform::regDeleteKey(machine, subKey));
}

void removeValue(char (*f)[kRecordBytes]) {  // root, key, value name
  RegKey root, key;
  if (!rootNamed(f[0], &root)) return;
  if (platform::regOpenKey(root, f[1], platform::RegAccess::All, &key) != 0) return;
  noteRegistryResult(platform::regDeleteValue(key, f[2]));
  platform::regCloseKey(key);
}

void removeKey(char (*f)[kRecordBytes]) {  // root, key
  RegKey root;
  if (f[1][0] == '\0' || !rootNamed(f[0], &root)) return;
  platform::regDeleteKey(root, f[1]);
}

}  // namespace

void undoRegistry() {
  rewindLog();
  char record[kRecordBytes];
  char f[3][kRecordBytes];
  while (readRecord(record)) {
    const int kind = recordKind(record);
    if (kind < 0) continue;
    if (cancelRequested()) return;
    switch (kind) {
      case setup::kRecShortcut:
        if (readOperands(record, 1, f) && f[0][0] != '\0') platform::deleteFile(f[0]);
        break;
      case setup::kRecUninstallReg:
        if (readOperands(record, 1, f) && f[0][0] != '\0') removeUninstallEntry(f[0]);
        break;
      case setup::kRecSetReg:
        if (readOperands(record, 3, f)) removeValue(f);
        break;
      case setup::kRecDelReg:
        if (readOperands(record, 2, f)) removeKey(f);
        break;
      default:
        break;
    }
  }
}

}  // namespace uninstall
