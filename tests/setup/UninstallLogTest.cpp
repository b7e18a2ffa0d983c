// The uninstall log: header, record forms, error records, and whole records
// when two threads write at once.
#include <atomic>
#include <chrono>
#include <thread>

#include "EngineFixture.h"

namespace {

using namespace setup;

class UninstallLog : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engineState().programCounter = 0;
    ASSERT_EQ(createLog("inst"), 1);
  }
};

TEST_F(UninstallLog, StartsWithExactlyTheTwoHeaderLines) {
  EXPECT_EQ(logText(), kLogHeader);
  EXPECT_EQ(logPath().substr(logPath().size() - 9), "\\inst.log");
  EXPECT_STREQ(logNameBuffer(), "inst.log");
  // Creating it again empties it.
  writeRecord("x");
  ASSERT_EQ(createLog("inst"), 1);
  EXPECT_EQ(logText(), kLogHeader);
}

TEST_F(UninstallLog, RecordFormsAsCommandsWriteThem) {
  openRecord();
  cancelRecord();  // a directory that could not be made
  openRecord();
  writeRecordText("MKDIR ");
  writeRecordText("C:\\Velmora");
  closeRecord();
  EXPECT_EQ(records(), "[#\n[MKDIR C:\\Velmora]\n");
  EXPECT_EQ(recordOpenFlag(), 1);  // closing leaves the flag set
}

TEST_F(UninstallLog, TextOrCloseWithoutAnOpenRecordCancelsInstead) {
  openRecord();
  cancelRecord();
  writeRecordText("lost");
  closeRecord();
  EXPECT_EQ(records(), "[#\n#\n#\n");
  EXPECT_EQ(recordOpenFlag(), 0);
}

TEST_F(UninstallLog, ErrorRecordsCarryNumberCounterAndMessageWithoutLineFeed) {
  writeError(kErrorCannotOpen, 0);
  EXPECT_EQ(logText(), std::string(kLogHeader) + "*ERROR #1@0,Can't open install pack.*");
  engineState().programCounter = 42;
  writeError(kErrorBadScript, 0);
  EXPECT_EQ(records(), "*ERROR #1@0,Can't open install pack.**ERROR #3@42,Invalid script.*");
}

TEST_F(UninstallLog, ARecordOpenOnOneThreadIsNeverSplitByAnother) {
  std::atomic<bool> opened{false};
  std::thread worker([&] {
    openRecord();
    opened = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    writeRecordText("COPY C:\\a");
    closeRecord();
  });
  while (!opened) std::this_thread::yield();
  writeRecord("!%%% EXTERN:HALT REQUEST %%%%");
  worker.join();
  EXPECT_EQ(records(), "[COPY C:\\a]\n[!%%% EXTERN:HALT REQUEST %%%%]\n");
}

TEST_F(UninstallLog, ACreateThatCannotWriteReportsZero) {
  std::filesystem::create_directory(dir_ / "blocked.log");
  EXPECT_EQ(createLog("blocked"), 0);
}

}  // namespace
