// velmora-helpc as a user runs it: what it writes, and what it says and
// leaves behind when it cannot.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tools/CommandRun.h"
#include "HelpFileReader.h"

namespace {

namespace fs = std::filesystem;
using velmora::testing::readAll;
using velmora::testing::shell;

class HelpcCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("helpc-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  fs::path write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  velmora::testing::Outcome helpc(const std::string& args) {
    return shell(std::string(VELMORA_HELPC_EXE) + " " + args + " 2>&1");
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(HelpcCli, WritesAHelpFileTheReaderOpens) {
  const fs::path src = write("help.txt", "Velmora Help\n\nMakes wallpapers.\n\n# Colours\nFrom 2 to 256.\n");
  const auto r = helpc("'" + src.string() + "' -o '" + (dir_ / "out.hlp").string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");
  const std::string bytes = readAll(dir_ / "out.hlp");
  helpfile::testing::ReadHelp help;
  std::string error;
  ASSERT_TRUE(helpfile::testing::readHelpFile({bytes.begin(), bytes.end()}, &help, &error)) << error;
  EXPECT_EQ(help.title, "Velmora Help");
  ASSERT_EQ(help.topics.size(), 2u);
  EXPECT_EQ(help.topics[1].paragraphs[1].text, "From 2 to 256.\n");
  EXPECT_EQ(files(), (std::vector<std::string>{"help.txt", "out.hlp"})) << "nothing else left behind";
}

TEST_F(HelpcCli, FailuresSayWhyAndLeaveNoFile) {
  const fs::path bad = write("bad.txt", "Help\n\nan arrow \xE2\x86\x92\n");
  const fs::path good = write("good.txt", "Help\n");
  fs::create_directories(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const bool root = ::geteuid() == 0;
  struct Case {
    std::string args;
    std::string says;
  };
  std::vector<Case> cases = {
      {"'" + (dir_ / "missing.txt").string() + "' -o '" + (dir_ / "a.hlp").string() + "'", "missing.txt: cannot read"},
      {"'" + bad.string() + "' -o '" + (dir_ / "a.hlp").string() + "'", "bad.txt:3: character at column 10"},
      {"'" + good.string() + "'", "--output is required"},
  };
  if (!root) cases.push_back({"'" + good.string() + "' -o '" + (dir_ / "locked" / "a.hlp").string() + "'", "cannot write"});
  for (const Case& c : cases) {
    const auto r = helpc(c.args);
    EXPECT_NE(r.status, 0) << c.args;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_EQ(files(), (std::vector<std::string>{"bad.txt", "good.txt", "locked"}));
  EXPECT_TRUE(fs::is_empty(dir_ / "locked"));
}

}  // namespace
