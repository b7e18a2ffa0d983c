// SCOPY: shared files installed through the version installer, counted
// under SharedDLLs, and replaced at the next restart when in use.
#include <gtest/gtest.h>

#include "CommandsFixture.h"
#include "HeldOpen.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"
#include "platform/ProfileFiles.h"

namespace {

using setup::CopyErrorAnswer;

const char kIncompatible[] = "Copy Error|The file 'NAME', allready exist and is incompatible.\nIgnor to overwrite.";
const char kInUse[] = "Copy Error|The file 'NAME', allready exist and is in use.\nIgnor to overwrite.";

class SharedCopyTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    // A short name: measured under Wine, VerInstallFileA cannot read a
    // source whose path has 128 bytes or more (VIF_CANNOTREADSRC), and the
    // start directories of these tests are long.
    static int serial = 0;
    name_ = "vt-sc" + std::to_string(++serial) + ".dll";
    installed_ = platform::systemDirectory() + "\\" + name_;
    platform::deleteFile(installed_);
  }
  void TearDown() override {
    platform::deleteFile(installed_);
    platform::deleteFile(installed_ + ".reboot");
    CommandsTest::TearDown();
  }
  void scopy(const testpe::Bytes& lib, const std::string& before = "") {
    run("string d\n" + before + "scopy @lib, " + quoted(name_) + "\n", {entry("lib", lib)});
  }
  std::string question(const char* form) const {
    std::string q = form;
    q.replace(q.find("NAME"), 4, name_);
    return q;
  }
  std::uint32_t installedMajor() const {
    platform::FileVersion fv;
    return platform::readFileVersion(installed_, &fv) == 0 ? fv.fileVersionMs >> 16 : 0;
  }
  // Files the installer may have left beside the installed one.
  std::vector<std::string> strays() const {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(platform::systemDirectory(), &entries);
    std::vector<std::string> out;
    for (const auto& e : entries)
      if (e.name.size() > 4 && (e.name.rfind("VER", 0) == 0 || e.name.rfind("ver", 0) == 0) &&
          e.name.substr(e.name.size() - 4) == ".tmp")
        out.push_back(e.name);
    return out;
  }
  std::string name_, installed_;
};

TEST_F(SharedCopyTest, FreshThenAgainCountsTwoUsers) {
  const std::int64_t before = sharedCount(installed_);
  scopy(testpe::image({1, 0, 0, 0}));
  EXPECT_EQ(records(), "[SCOPY " + installed_ + "]\n");
  EXPECT_EQ(installedMajor(), 1u);
  EXPECT_EQ(sharedCount(installed_), before < 0 ? 1 : before + 1);
  EXPECT_EQ(steps, std::vector<std::string>{"Copy shared file |" + installed_});
  EXPECT_TRUE(questions.empty());
  EXPECT_FALSE(std::filesystem::exists(dir_ / name_)) << "the temporary copy in SourceDir stays";
  scopy(testpe::image({1, 0, 0, 0}));
  EXPECT_EQ(records(), "[SCOPY " + installed_ + "]\n");
  EXPECT_EQ(sharedCount(installed_), before < 0 ? 2 : before + 2);
}

TEST_F(SharedCopyTest, OlderOverNewerAbortLeavesTheFileAlone) {
  scopy(testpe::image({3, 0, 0, 0}));
  const std::int64_t count = sharedCount(installed_);
  answers = {CopyErrorAnswer::Abort};
  scopy(testpe::image({2, 0, 0, 0}));
  EXPECT_EQ(records(), "[#\n");
  EXPECT_EQ(questions, std::vector<std::string>{question(kIncompatible)});
  EXPECT_EQ(installedMajor(), 3u);
  EXPECT_EQ(sharedCount(installed_), count);
  EXPECT_EQ(strays(), std::vector<std::string>{});
}

// Ignore forces the older file in and counts a user; with backups on the
// present file goes to BackupDir first. The question's answer is given
// after the current directory changed (as a Browse button can do): the
// temporary copy is still deleted from SourceDir.
TEST_F(SharedCopyTest, OlderOverNewerIgnoreForcesItInWithABackup) {
  scopy(testpe::image({3, 0, 0, 0}));
  const std::int64_t count = sharedCount(installed_);
  answers = {CopyErrorAnswer::Ignore};
  const std::filesystem::path elsewhere = dir_ / "elsewhere";
  std::filesystem::create_directories(elsewhere);
  onQuestion = [&] { std::filesystem::current_path(elsewhere); };
  scopy(testpe::image({2, 0, 0, 0}), "backup StartDir + \"\\\\bak\"\n");
  std::filesystem::current_path(dir_);
  EXPECT_EQ(records(), "[BACKUP " + start() + "\\bak]\n[SCOPY " + installed_ + "]\n");
  EXPECT_EQ(installedMajor(), 2u);
  EXPECT_EQ(sharedCount(installed_), count + 1);
  platform::FileVersion backedUp;
  ASSERT_EQ(platform::readFileVersion(start() + "\\bak\\" + name_, &backedUp), 0);
  EXPECT_EQ(backedUp.fileVersionMs >> 16, 3u);
  EXPECT_FALSE(std::filesystem::exists(dir_ / name_));
  EXPECT_EQ(strays(), std::vector<std::string>{});
}

// Retry installs again and asks again while it still fails.
TEST_F(SharedCopyTest, RetryAsksAgainUntilAnswered) {
  scopy(testpe::image({3, 0, 0, 0}));
  answers = {CopyErrorAnswer::Retry, CopyErrorAnswer::Retry, CopyErrorAnswer::Abort};
  scopy(testpe::image({2, 0, 0, 0}));
  EXPECT_EQ(records(), "[#\n");
  EXPECT_EQ(questions.size(), 3u);
  EXPECT_EQ(strays(), std::vector<std::string>{});
}

// Measured under Wine: the file held open gives VIF_SHARINGVIOLATION |
// VIF_CANNOTDELETE, so the in-use question; Ignore leaves the new file as
// "<name>.reboot" beside the old one and names it in wininit.ini.
TEST_F(SharedCopyTest, AFileInUseIsReplacedAtTheNextRestart) {
  scopy(testpe::image({1, 0, 0, 0}));
  const std::int64_t count = sharedCount(installed_);
  answers = {CopyErrorAnswer::Ignore};
  {
    HeldOpen held(installed_);
    scopy(testpe::image({2, 0, 0, 0}));
  }
  EXPECT_EQ(questions, std::vector<std::string>{question(kInUse)});
  EXPECT_EQ(records(), "[SCOPY " + installed_ + "]\n");
  EXPECT_EQ(installedMajor(), 1u);
  platform::FileVersion waiting;
  ASSERT_EQ(platform::readFileVersion(installed_ + ".reboot", &waiting), 0);
  EXPECT_EQ(waiting.fileVersionMs >> 16, 2u);
  std::string value;
  ASSERT_EQ(platform::readProfileString("rename", installed_, "wininit.ini", &value), 0);
  EXPECT_EQ(value, installed_ + ".reboot");
  ASSERT_EQ(platform::readProfileString("rename", "NUL", "wininit.ini", &value), 0);
  EXPECT_EQ(value, installed_ + ".reboot");
  EXPECT_EQ(setup::engineState().rebootNeeded, 1);
  EXPECT_EQ(sharedCount(installed_), count + 1);
  EXPECT_EQ(steps, std::vector<std::string>{"Copy shared file |" + installed_});
  platform::deleteFile(platform::windowsDirectory() + "\\wininit.ini");
}

TEST_F(SharedCopyTest, AFileInUseAnsweredAbortChangesNothing) {
  scopy(testpe::image({1, 0, 0, 0}));
  answers = {CopyErrorAnswer::Abort};
  {
    HeldOpen held(installed_);
    scopy(testpe::image({2, 0, 0, 0}));
  }
  EXPECT_EQ(records(), "[#\n");
  EXPECT_EQ(setup::engineState().rebootNeeded, 0);
  EXPECT_FALSE(platform::fileExists(installed_ + ".reboot"));
}

// A fresh system may have no SharedDLLs key; counting makes it.
TEST_F(SharedCopyTest, TheCountKeyIsMadeWhenMissing) {
  platform::regDeleteTree(root(platform::RegRoot::LocalMachine), std::string(setup::kSharedDllsKey));
  scopy(testpe::image({1, 0, 0, 0}));
  EXPECT_EQ(sharedCount(installed_), 1);
}

TEST_F(SharedCopyTest, AMissingEntryCancelsWithoutAsking) {
  run("scopy @nothing, " + quoted(name_) + "\n", {entry("lib", "x")});
  EXPECT_EQ(records(), "[#\n");
  EXPECT_TRUE(questions.empty());
  EXPECT_FALSE(platform::fileExists(installed_));
}

}  // namespace
