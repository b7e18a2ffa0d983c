#pragma once
// A whole installation for the fault sweeps: a script that uses every
// command, packed with its files, run by the engine in a root of its own.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Compiler.h"
#include "FaultFixture.h"
#include "PackWriter.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"
#include "setup/LogFormat.h"
#include "setup/RunLoop.h"
#include "setup/UninstallLog.h"

namespace faultsweep {

namespace fs = std::filesystem;

const char kScript[] = R"(string dir
dir = "C:\\Velmora"
mkdir dir
mkdir dir + "\\tmp"
rmdir dir + "\\tmp"
backup dir + "\\backup"
copy @readme.txt, dir + "\\readme.txt"
copy @big.dat, dir + "\\big.dat"
copy dir + "\\readme.txt", dir + "\\copy.txt"
scopy @velmgen.dll, "velmgen.dll"
setreg HKCU "Software\\Velmora", "startup", 1
setreg HKLM "Software\\Velmora", "path", dir
shortcut dir + "\\velmrun.exe", "", dir + "\\Velmora.lnk", "New wallpaper"
uninstallreg "Velmora", dir
logtext "done"
)";

class InstallRun : public FaultTest {
 protected:
  // A root of its own for each trial: drives, registry and start directory.
  void freshRoot(int trial) {
    const fs::path root = temp_ / ("trial" + std::to_string(trial));
    fs::create_directories(root / "drive_c" / "windows" / "system32");
    fs::create_directories(root / "drive_c" / "setup");
    ::setenv("VELMORA_ROOT", root.c_str(), 1);
    fs::current_path(root / "drive_c" / "setup");
    root_ = root;
    kestrin::Bytes script;
    std::string error;
    ASSERT_TRUE(kestrin::compileScript(kScript, "install.kes", &script, &error)) << error;
    const std::string text = "Velmora makes wallpapers.";
    std::vector<kestrin::PackInput> inputs = {
        {"script", "", script, 0},
        {"readme.txt", "", kestrin::Bytes(text.begin(), text.end()), 0},
        {"big.dat", "", kestrin::Bytes(5000, 0x42), 0},
        {"velmgen.dll", "", kestrin::Bytes(300, 0x4D), 0},
        {"uninstall", "", kestrin::Bytes(100, 0x55), 0},
    };
    // Small volumes, so that big.dat is split and copied across three.
    ASSERT_TRUE(kestrin::writePack("inst", inputs, 2400, nullptr, &error)) << error;
  }

  // Starts and runs to the end, answering every question; the log's text
  // (wherever it ended up) and whether the run ended.
  std::pair<std::string, bool> install() {
    setup::Engine& e = setup::engineState();
    e.frontEnd = {};
    e.frontEnd.askCopyError = [](const char*, const char*, std::uint32_t) { return setup::CopyErrorAnswer::Ignore; };
    e.dryRun = 0;
    if (setup::startEngine() != setup::kStatusRunning) return {"", false};
    if (setup::createLog(e.baseName) != 1) return {"", false};
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
      e.runStatus = setup::kStatusRunning;
      setup::runLoop();
      ended = e.runStatus == setup::kStatusEnded;
    }
    const fs::path moved = root_ / "drive_c" / "Velmora" / "inst.log";
    const fs::path here = root_ / "drive_c" / "setup" / "inst.log";
    return {fileText(fs::exists(here) ? here : moved), ended};
  }

  static std::vector<std::string> lines(const std::string& log) {
    std::vector<std::string> out;
    std::size_t at = setup::kLogHeader.size();
    while (at < log.size()) {
      const std::size_t end = log.find('\n', at);
      out.push_back(log.substr(at, end == std::string::npos ? std::string::npos : end - at));
      if (end == std::string::npos) break;
      at = end + 1;
    }
    return out;
  }
};


}  // namespace faultsweep
