// A whole installation with every host call failing in turn, once or from
// then on: the run goes on to its end with a cancelled record for what
// failed, the log holds whole records (each one of the clean run's, or a
// cancelled one), a single failure loses no record and does not stop the
// statements after it, and the registry database stays sound.
#include "InstallRun.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;
namespace fs = std::filesystem;

using InstallSweep = faultsweep::InstallRun;

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
