// The installer's real commands write the log, the uninstaller undoes it
// as the uninstall entry's command line names it: afterwards the files and
// the registry are as before the installation, but for what the log has no
// record of.
#include <set>

#include "CommandsFixture.h"
#include "VersionedPe.h"
#include "uninstall/Uninstaller.h"

namespace {

using platform::RegRoot;

// Every command that changes the system, into a folder whose name is ANSI
// text beyond ASCII and paths holding blanks and '#'.
const char kScript[] = R"(string dir
dir = StartDir + "\\Ostrel Configura\xE7\xF5\x65s"
mkdir dir
mkdir dir + "\\data #1"
mkdir dir + "\\tmp"
rmdir dir + "\\tmp"
backup dir + "\\backup"
copy @readme.txt, dir + "\\readme.txt"
copy @readme.txt, dir + "\\data #1\\notes #2.txt"
copy dir + "\\readme.txt", dir + "\\copy.txt"
scopy @ostrel.dll, "vt-trip.dll"
setreg HKCU "Software\\OstrelTrip", "startup", 1
setreg HKCU "Software\\OstrelTrip", "help", dir + "\\readme.txt"
setreg HKLM "Software\\OstrelTrip\\Paths", "home", dir
shortcut dir + "\\readme.txt", "", dir + "\\Ostrel.lnk", "Read me"
uninstallreg "Ostrel Trip", dir
logtext "DELREG HKEY_CURRENT_USER;Software\\OstrelTrip"
)";

const std::string kEntry = std::string(setup::kUninstallKeyPrefix) + "Ostrel Trip";

class InstallThenUninstall : public CommandsTest {
 protected:
  // Files (folders end in '\'): the start directory's tree, and the Windows
  // and system directories' own entries.
  static void listTree(const std::string& dir, bool deep, std::set<std::string>* out) {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(dir, &entries);
    for (const auto& e : entries) {
      if (e.name == "root" && dir == platform::currentDirectory()) continue;  // the native drives, seen by letter
      const std::string path = dir + "\\" + e.name;
      out->insert(path + (e.isDirectory ? "\\" : ""));
      if (deep && e.isDirectory) listTree(path, deep, out);
    }
  }
  // Registry keys and values (key|name=data) below the places the script
  // and the uninstaller touch.
  static void dumpKey(RegRoot r, const std::string& key, std::set<std::string>* out) {
    platform::RegKey k;
    if (platform::regOpenKey(root(r), key, platform::RegAccess::Read, &k) != 0) return;
    const std::string where = std::to_string(int(r)) + "\\" + key;
    out->insert(where + "\\");
    std::string name;
    for (std::uint32_t i = 0; platform::regEnumValue(k, i, &name) == 0; ++i) {
      std::uint32_t type = 0, size = 4096;
      std::vector<std::uint8_t> data(size);
      platform::regQueryValue(k, name, &type, data.data(), &size);
      out->insert(where + "|" + name + "=" + std::to_string(type) + ":" + std::string(data.begin(), data.begin() + size));
    }
    std::vector<std::string> subKeys;
    for (std::uint32_t i = 0; platform::regEnumKey(k, i, &name) == 0; ++i) subKeys.push_back(name);
    platform::regCloseKey(k);
    for (const auto& s : subKeys) dumpKey(r, key + "\\" + s, out);
  }
  std::set<std::string> state() {
    std::set<std::string> s;
    listTree(platform::currentDirectory(), true, &s);  // the start directory
    listTree(platform::windowsDirectory(), false, &s);
    listTree(platform::systemDirectory(), false, &s);
    dumpKey(RegRoot::CurrentUser, "Software\\OstrelTrip", &s);
    dumpKey(RegRoot::LocalMachine, "Software\\OstrelTrip", &s);
    dumpKey(RegRoot::LocalMachine, kEntry, &s);
    dumpKey(RegRoot::LocalMachine, std::string(setup::kSharedDllsKey), &s);
    return s;
  }
  static std::vector<std::string> minus(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::vector<std::string> out;
    for (const auto& x : a)
      if (!b.count(x)) out.push_back(x);
    return out;
  }
};

TEST_F(InstallThenUninstall, OnlyWhatTheLogDoesNotRecordStays) {
  const std::string uninstaller = platform::windowsDirectory() + "\\uninstall.exe";
  const std::string shared = platform::systemDirectory() + "\\vt-trip.dll";
  platform::deleteFile(uninstaller);
  platform::regDeleteTree(root(RegRoot::LocalMachine), "Software\\OstrelTrip");
  const std::int64_t uninstallerCount = sharedCount(uninstaller);
  // The pack's volume is there before the installation (run() writes it
  // again with all its entries).
  kestrin::Bytes script;
  std::string error;
  ASSERT_TRUE(kestrin::compileScript(kScript, "trip.kes", &script, &error)) << error;
  ASSERT_TRUE(kestrin::writePack("inst", {{"script", "", script, 0}}, 0, nullptr, &error)) << error;
  const std::set<std::string> before = state();

  testpe::Version version;
  version.major = 2;
  run(kScript, {entry("readme.txt", "Ostrel reads this."), entry("ostrel.dll", testpe::image(version)),
                entry("uninstall", "uninstaller bytes")});
  const std::string dir = start() + "\\Ostrel Configura\xE7\xF5\x65s";
  ASSERT_TRUE(platform::fileExists(dir + "\\data #1\\notes #2.txt"));
  ASSERT_TRUE(platform::fileExists(dir + "\\Ostrel.lnk"));
  ASSERT_EQ(sharedCount(shared), 1);
  const auto command = value(RegRoot::LocalMachine, kEntry, std::string(setup::kUninstallStringValue));
  ASSERT_EQ(command.first, platform::kRegSz);

  // The uninstall entry's command line: the uninstaller, one blank, and the
  // log's path, which is the uninstaller's whole command line.
  const std::string line = command.second.substr(0, command.second.find('\0'));
  ASSERT_EQ(line.compare(0, uninstaller.size() + 1, uninstaller + " "), 0) << line;
  ASSERT_EQ(uninstall::loadLog(uninstall::logPathFromCommandLine(line.substr(uninstaller.size() + 1))), 0);
  EXPECT_STREQ(uninstall::appName(), "Ostrel Trip");
  ASSERT_TRUE(uninstall::runPasses({}));

  const std::set<std::string> after = state();
  EXPECT_EQ(minus(before, after), std::vector<std::string>{});
  // Left: the uninstaller and its count, and the key SETREG made under
  // HKLM (values go, keys stay, unless a DELREG record names them).
  std::vector<std::string> left = {
      "2\\" + std::string(setup::kSharedDllsKey) + "|" + uninstaller + "=4:" +
          std::string(1, char(uninstallerCount < 0 ? 1 : uninstallerCount + 1)) + std::string(3, '\0'),
      "2\\Software\\OstrelTrip\\",
      "2\\Software\\OstrelTrip\\Paths\\",
      uninstaller,
  };
  std::vector<std::string> added = minus(after, before);
  // The SharedDLLs key itself may be new on a fresh registry.
  std::erase(added, "2\\" + std::string(setup::kSharedDllsKey) + "\\");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(added, left);

  platform::deleteFile(uninstaller);
  platform::regDeleteTree(root(RegRoot::LocalMachine), "Software\\OstrelTrip");
}

}  // namespace
