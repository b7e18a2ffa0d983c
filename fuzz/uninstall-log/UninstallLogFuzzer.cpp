// The uninstaller's log reader and its three passes: any bytes as an
// uninstall log, read and undone against a private drive tree that holds
// what logs usually name (folders, files, shortcuts, shared files with use
// counts, registry values and the uninstall entry). Checks what must hold
// whatever the log says: the passes end, the log is gone afterwards, and a
// file that no record names is left alone. Records are read the way the
// passes read them: each one whole, within its buffer, its fields within
// theirs.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "ScratchRoot.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "setup/LogFormat.h"
#include "uninstall/LogReader.h"
#include "uninstall/Uninstaller.h"

namespace {

namespace fs = std::filesystem;

const platform::RegKey kHkcu = platform::regRoot(platform::RegRoot::CurrentUser);
const platform::RegKey kHklm = platform::regRoot(platform::RegRoot::LocalMachine);

void setDword(platform::RegKey root, std::string_view key, std::string_view name, std::uint32_t v) {
  platform::RegKey k;
  if (platform::regCreateKey(root, key, platform::RegAccess::All, &k, nullptr) != 0) return;
  platform::regSetValue(k, name, platform::kRegDword, {reinterpret_cast<const std::uint8_t*>(&v), 4});
  platform::regCloseKey(k);
}

// What an installation leaves, for the records to name.
void installLeftovers() {
  const fs::path c = fuzzing::scratchRoot() / "drive_c";
  fs::create_directories(c / "Velmora" / "backup");
  fs::create_directories(c / "keep");
  const std::uint8_t bytes[] = {'v', 'e', 'l', 'm'};
  for (const char* f : {"Velmora/readme.txt", "Velmora/Velmora.lnk", "Velmora/backup/old.txt",
                        "windows/system32/velmgen.dll", "keep/k.txt"})
    fuzzing::writeHostFile(c / f, bytes);
  setDword(kHklm, setup::kSharedDllsKey, "C:\\windows\\system32\\velmgen.dll", 1);
  setDword(kHkcu, "Software\\Velmora", "startup", 1);
  setDword(kHklm, std::string(setup::kUninstallKeyPrefix) + "Velmora", "DisplayName", 1);
}

bool mentions(std::string_view log, std::string_view word) {
  const auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
  std::string a(log), b(word);
  for (char& ch : a) ch = lower(static_cast<unsigned char>(ch));
  for (char& ch : b) ch = lower(static_cast<unsigned char>(ch));
  return a.find(b) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::scratchRoot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::resetScratch();
  installLeftovers();
  const std::string_view log(reinterpret_cast<const char*>(data), size);
  const fs::path logFile = fuzzing::startDirectory() / "inst.log";
  fuzzing::writeHostFile(logFile, {data, size});

  FUZZ_REQUIRE(uninstall::loadLog("C:\\setup\\inst.log") == 0);
  FUZZ_REQUIRE(std::strlen(uninstall::appName()) < uninstall::kAppNameBytes);
  FUZZ_REQUIRE(uninstall::runPasses({}));
  FUZZ_REQUIRE(!fs::exists(logFile));
  // Only what the log names is undone.
  if (!mentions(log, "keep"))
    FUZZ_REQUIRE(fs::exists(fuzzing::scratchRoot() / "drive_c" / "keep" / "k.txt"));

  // The reader on its own: records read one after the other until the end.
  fuzzing::writeHostFile(logFile, {data, size});
  FUZZ_REQUIRE(uninstall::loadLog("C:\\setup\\inst.log") == 0);
  char record[uninstall::kRecordBytes];
  char fields[4][uninstall::kRecordBytes];
  for (std::size_t n = 0; uninstall::readRecord(record); ++n) {
    FUZZ_REQUIRE(n <= size + 1);
    FUZZ_REQUIRE(std::strlen(record) < uninstall::kRecordBytes);
    const int kind = uninstall::recordKind(record);
    FUZZ_REQUIRE(kind >= -1 && kind < static_cast<int>(std::size(setup::kRecordKeywords)));
    for (int count = 1; count <= 3; ++count)
      if (uninstall::readOperands(record, count, fields))
        for (int i = 0; i < count; ++i) FUZZ_REQUIRE(std::strlen(fields[i]) < uninstall::kRecordBytes);
  }
  uninstall::closeLog();
  return 0;
}
