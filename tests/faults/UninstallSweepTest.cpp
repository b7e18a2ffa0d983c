// A whole uninstallation with every host call failing in turn, once or from
// then on. Whatever fails, the registry database stays sound and nothing is
// lost: what a failed run left undone is still in the log, so that a second
// run, with nothing failing, leaves exactly what a clean uninstallation
// leaves.
#include <set>

#include "InstallRun.h"
#include "uninstall/Uninstaller.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;
namespace fs = std::filesystem;

class UninstallSweep : public faultsweep::InstallRun {
 protected:
  static constexpr char kLog[] = "C:\\Velmora\\inst.log";

  // One uninstallation; false when the log could not be opened.
  static bool uninstallOnce() {
    if (uninstall::loadLog(kLog) != 0) return false;
    uninstall::runPasses({});
    uninstall::closeLog();
    return true;
  }

  static void listKeys(platform::RegKey key, const std::string& path, std::set<std::string>* out) {
    std::string name;
    for (std::uint32_t i = 0; platform::regEnumValue(key, i, &name) == 0; ++i) out->insert(path + ";" + name);
    std::vector<std::string> subs;
    for (std::uint32_t i = 0; platform::regEnumKey(key, i, &name) == 0; ++i) subs.push_back(name);
    for (const std::string& sub : subs) {
      platform::RegKey child;
      if (platform::regOpenKey(key, sub, platform::RegAccess::Read, &child) != 0) continue;
      out->insert(path + "\\" + sub);
      listKeys(child, path + "\\" + sub, out);
      platform::regCloseKey(child);
    }
  }

  // Every file, folder, registry key and value of the root, but the start
  // directory's.
  std::set<std::string> state() const {
    std::set<std::string> out;
    const fs::path c = root_ / "drive_c";
    for (const auto& e : fs::recursive_directory_iterator(c)) {
      const std::string rel = fs::relative(e.path(), c).string();
      if (!rel.starts_with("setup")) out.insert(rel);
    }
    for (const platform::RegRoot r : {platform::RegRoot::CurrentUser, platform::RegRoot::LocalMachine})
      listKeys(platform::regRoot(r), std::to_string(static_cast<int>(r)), &out);
    return out;
  }
};

TEST_F(UninstallSweep, WhatAFailedRunLeavesASecondRunUndoes) {
  int trial = 0;
  freshRoot(trial++);
  ASSERT_TRUE(install().second);
  faults::failCall(Service::Open, 0, 0);  // count only
  ASSERT_TRUE(uninstallOnce());
  std::uint32_t calls[faults::kServiceCount];
  for (int s = 0; s < faults::kServiceCount; ++s) calls[s] = faults::callCount(static_cast<Service>(s));
  faults::clearFaults();
  const std::set<std::string> clean = state();
  std::printf("calls in one uninstallation: open %u, read %u, write %u, rename %u, mkdir %u, registry writes %u\n",
              calls[0], calls[1], calls[2], calls[3], calls[4], calls[5]);
  ASSERT_GT(calls[static_cast<int>(Service::RegistryWrite)], 3u);

  struct Fault {
    Service service;
    std::int32_t error;
  };
  const Fault kinds[] = {{Service::Open, platform::kErrorSharingViolation},
                         {Service::Read, platform::kErrorIoDevice},
                         {Service::Write, platform::kErrorDiskFull},
                         {Service::RegistryWrite, platform::kErrorRegistryIoFailed}};
  int failedRuns = 0;
  for (const Fault& f : kinds) {
    for (const bool sticky : {false, true}) {
      for (std::uint32_t n = 1; n <= calls[static_cast<int>(f.service)]; ++n) {
        SCOPED_TRACE(testing::Message() << "service " << static_cast<int>(f.service) << " call " << n
                                        << (sticky ? " sticky" : ""));
        freshRoot(trial++);
        ASSERT_TRUE(install().second);
        faults::failCall(f.service, n, f.error, sticky);
        uninstallOnce();
        faults::clearFaults();
        ++failedRuns;
        EXPECT_EQ(registryIntegrity(), "ok");
        // The second run, if the log is still there to say what is left.
        if (fs::exists(root_ / "drive_c" / "Velmora" / "inst.log")) uninstallOnce();
        EXPECT_EQ(state(), clean) << "something was left that no log records any more";
      }
    }
  }
  EXPECT_GT(failedRuns, 20);
}

}  // namespace
