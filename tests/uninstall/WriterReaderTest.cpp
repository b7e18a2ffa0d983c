// A log written by the installer's log writer, undone by the passes: the
// folder, files, counts and registry are as they were before.
#include <filesystem>

#include "UninstallFixture.h"
#include "setup/UninstallLog.h"

namespace {

class WriterReader : public UninstallTest {
 protected:
  void SetUp() override {
    UninstallTest::SetUp();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(platform::nativePath(dir_));
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    UninstallTest::TearDown();
  }
  std::filesystem::path previous_;
};

TEST_F(WriterReader, WhatTheWriterRecordsTheReaderUndoes) {
  ASSERT_EQ(setup::createLog("inst"), 1);
  const std::string app = at("Program Files\\Ostrel Configura\xE7\xF5\x65s");
  const std::string entry = std::string(setup::kUninstallKeyPrefix) + "Ostrel WriterReader";
  makeDir(at("Program Files"));
  setCount(at("shared.dll"), 4);  // used by others already

  // What the installer's commands do, each followed by its record.
  setup::openRecord();
  setup::cancelRecord();  // a folder that could not be made
  makeDir(app);
  setup::writeRecord("MKDIR " + app);
  makeFile(app + "\\ostrel #1.exe");
  setup::openRecord();
  setup::writeRecordText("COPY ");
  setup::writeRecordText(app + "\\ostrel #1.exe");
  setup::closeRecord();
  setup::writeRecord(std::string(setup::kNoteHaltRequest));
  setup::writeRecord(std::string(setup::kNoteHaltAck));
  makeFile(at("shared.dll"));
  setCount(at("shared.dll"), 5);
  setup::writeRecord("SCOPY " + at("shared.dll"));
  setValue(user(), "Software\\UnTestWriter", "size", 3);
  setup::writeRecord("SETREG HKEY_CURRENT_USER;Software\\UnTestWriter;size");
  setValue(machine(), entry, std::string(setup::kDisplayNameValue), 1);
  setup::writeRecord("UNINSTALLREG " + entry);
  setup::writeRecord("UNINSTALLAPPNAME Ostrel");
  setup::writeError(setup::kErrorCannotOpen, 0);

  ASSERT_EQ(uninstall::loadLog(setup::logPath()), 0);
  EXPECT_STREQ(uninstall::appName(), "Ostrel");
  ASSERT_TRUE(uninstall::runPasses({}));
  EXPECT_FALSE(exists(app));
  EXPECT_FALSE(exists(setup::logPath()));
  EXPECT_TRUE(exists(at("Program Files")));
  EXPECT_TRUE(exists(at("shared.dll")));
  EXPECT_EQ(count(at("shared.dll")), 4);
  EXPECT_EQ(value(user(), "Software\\UnTestWriter", "size"), -1);
  EXPECT_FALSE(keyExists(machine(), entry));
}

}  // namespace
