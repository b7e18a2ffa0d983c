// A whole installation with every host call failing in turn, once or from
// then on: the run goes on to its end with a cancelled record for what
// failed, the log holds whole records (each one of the clean run's, or a
// cancelled one), a single failure loses no record and does not stop the
// statements after it, and the registry database stays sound.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Compiler.h"
#include "FaultFixture.h"
#include "PackWriter.h"
#include "platform/SystemError.h"
#include "setup/LogFormat.h"
#include "setup/RunLoop.h"
#include "setup/UninstallLog.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;
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

class InstallSweep : public FaultTest {
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

TEST_F(InstallSweep, EveryFailureIsACancelledRecordAndTheRunGoesOn) {
  int trial = 0;
  freshRoot(trial++);
  faults::failCall(Service::Open, 0, 0);  // count only
  const auto [cleanLog, cleanEnded] = install();
  std::uint32_t calls[faults::kServiceCount];
  for (int s = 0; s < faults::kServiceCount; ++s) calls[s] = faults::callCount(static_cast<Service>(s));
  faults::clearFaults();
  ASSERT_TRUE(cleanEnded);
  const std::vector<std::string> clean = lines(cleanLog);
  ASSERT_EQ(clean.back(), "[done]") << cleanLog;
  ASSERT_GE(clean.size(), 12u);
  std::printf("calls in one installation: open %u, read %u, write %u, rename %u, mkdir %u, registry writes %u\n",
              calls[0], calls[1], calls[2], calls[3], calls[4], calls[5]);

  struct Fault {
    Service service;
    std::int32_t error;
  };
  int failedRuns = 0;
  const Fault kinds[] = {{Service::Open, platform::kErrorAccessDenied},
                         {Service::Read, platform::kErrorIoDevice},
                         {Service::Write, platform::kErrorDiskFull},
                         {Service::Rename, platform::kErrorSharingViolation},
                         {Service::CreateDirectory, platform::kErrorAccessDenied},
                         {Service::RegistryWrite, platform::kErrorRegistryIoFailed}};
  for (const Fault& f : kinds) {
    for (const bool sticky : {false, true}) {
      for (std::uint32_t n = 1; n <= calls[static_cast<int>(f.service)]; ++n) {
        SCOPED_TRACE(testing::Message() << "service " << static_cast<int>(f.service) << " call " << n
                                        << (sticky ? " sticky" : ""));
        freshRoot(trial++);
        faults::failCall(f.service, n, f.error, sticky);
        ++failedRuns;
        const auto [log, ended] = install();
        faults::clearFaults();
        if (fs::exists(root_ / "registry.db")) {
          EXPECT_EQ(registryIntegrity(), "ok");
        }
        if (log.empty()) continue;  // the pack or the log itself could not be made
        ASSERT_TRUE(log.starts_with(setup::kLogHeader));
        EXPECT_TRUE(ended);
        const std::vector<std::string> got = lines(log);
        for (std::size_t i = 0; i < got.size(); ++i) {
          const bool last = i + 1 == got.size();
          if (got[i] == "[#") continue;
          // A disk that stays full may end the log inside its last record.
          if (sticky && last && got[i].starts_with("[") && !log.ends_with("\n")) continue;
          EXPECT_NE(std::find(clean.begin(), clean.end(), got[i]), clean.end()) << "not a whole record: " << got[i];
        }
        if (!sticky) {
          // One failure: every statement after it still ran and left its record
          // (the failed one cancelled, or whole once a later write worked).
          EXPECT_EQ(got.size(), clean.size()) << log;
          EXPECT_EQ(got.back(), "[done]") << log;
        }
      }
    }
  }
  EXPECT_GT(failedRuns, 100);
}

}  // namespace
