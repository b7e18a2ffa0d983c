// The uninstall log writer with every write of the log failing in turn, once
// or from then on (a full disk): the log holds whole records, in order, up
// to the failure; bytes a failed write could not add go with the next write,
// so a single failure loses no record; and the writer reports the error.
#include <string>
#include <string_view>
#include <vector>

#include "FaultFixture.h"
#include "platform/SystemError.h"
#include "setup/LogFormat.h"
#include "setup/UninstallLog.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;

const std::vector<std::string> kTexts = {"MKDIR C:\\Velmora", "COPY C:\\Velmora\\readme.txt",
                                         "!%%% RUNLOOP: HALT ACK ....", "SETREG HKEY_CURRENT_USER;Software;v",
                                         "SHORTCUT C:\\windows\\Velmora.lnk"};

// What the commands do: record 1 cancelled (a failed step), the others
// completed, the third as one whole protocol note.
void writeRecords() {
  for (std::size_t i = 0; i < kTexts.size(); ++i) {
    if (i == 2) {
      setup::writeRecord(kTexts[i]);
      continue;
    }
    setup::openRecord();
    if (i == 1) {
      setup::cancelRecord();
      continue;
    }
    const std::string_view text = kTexts[i];
    const std::size_t space = text.find(' ');
    setup::writeRecordText(text.substr(0, space + 1));
    setup::writeRecordText(text.substr(space + 1));
    setup::closeRecord();
  }
}

struct Parsed {
  std::vector<std::string> lines;  // the records, without their line ends
  bool endsOpen = false;           // a last record without its end
};

Parsed parse(std::string_view log) {
  Parsed p;
  while (!log.empty()) {
    const std::size_t end = log.find('\n');
    if (end == std::string_view::npos) {
      // The last write failed: the log ends inside its record, which the
      // uninstaller passes over, as after a crash.
      p.endsOpen = log.starts_with("[");
      if (!p.endsOpen) p.lines.emplace_back(log);  // not a record: fails below
      break;
    }
    p.lines.emplace_back(log.substr(0, end));
    log.remove_prefix(end + 1);
  }
  return p;
}

class LogSweep : public FaultTest {
 protected:
  std::string log() const { return fileText(root_ / "drive_c" / "setup" / "inst.log"); }
};

TEST_F(LogSweep, EveryFailedWriteLeavesWholeRecords) {
  ASSERT_EQ(setup::createLog("inst"), 1);
  faults::failCall(Service::Write, 0, 0);
  writeRecords();
  const std::uint32_t writes = faults::callCount(Service::Write);
  faults::clearFaults();
  ASSERT_GE(writes, 8u);

  for (const std::int32_t error : {platform::kErrorDiskFull, platform::kErrorWriteFault, platform::kErrorAccessDenied}) {
    for (const bool sticky : {false, true}) {
      for (std::uint32_t n = 1; n <= writes; ++n) {
        SCOPED_TRACE(testing::Message() << "write " << n << " error " << error << (sticky ? " sticky" : ""));
        ASSERT_EQ(setup::createLog("inst"), 1);
        faults::failCall(error == platform::kErrorAccessDenied ? Service::Open : Service::Write, n, error, sticky);
        writeRecords();
        faults::clearFaults();

        const std::string all = log();
        ASSERT_TRUE(all.starts_with(setup::kLogHeader));
        const Parsed p = parse(std::string_view(all).substr(setup::kLogHeader.size()));
        // Every line is a whole record: cancelled, or one of the texts, in order.
        std::size_t next = 0;
        int cancelled = 0;
        for (const std::string& line : p.lines) {
          if (line == "[#") {
            ++cancelled;
            continue;
          }
          ASSERT_TRUE(line.size() >= 2 && line.front() == '[' && line.back() == ']') << line;
          const std::string text = line.substr(1, line.size() - 2);
          while (next < kTexts.size() && kTexts[next] != text) ++next;
          ASSERT_LT(next, kTexts.size()) << "unexpected or out of order: " << line;
          ++next;
        }
        EXPECT_NE(setup::logWriteError(), 0);
        if (!sticky && all.ends_with("\n")) {
          // One failure loses nothing once a later write works: every
          // record is there, as it was meant to be.
          EXPECT_EQ(p.lines.size(), kTexts.size());
          EXPECT_EQ(cancelled, 1);
        }
      }
    }
  }
}

}  // namespace
