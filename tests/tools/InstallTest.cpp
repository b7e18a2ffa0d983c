// `cmake --install` of the Linux tools into a private prefix, and what a
// user gets from it: the programs with their version, the manual pages as
// man shows them, the desktop entry as the desktop-entry checker sees it,
// and the bash completion offering every option the commands take.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "CommandRun.h"

namespace {

namespace fs = std::filesystem;

using velmora::testing::Outcome;
using velmora::testing::readAll;
using velmora::testing::shell;

class Install : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix = new fs::path(fs::temp_directory_path() / ("velmora-install-" + std::to_string(::getpid())));
    fs::remove_all(*prefix);
    installed = shell("cmake --install '" BUILD_DIR "' --prefix '" + prefix->string() + "' 2>&1");
  }
  static void TearDownTestSuite() {
    fs::remove_all(*prefix);
    delete prefix;
  }
  void SetUp() override { ASSERT_EQ(installed.status, 0) << installed.out; }

  // What the installed completion offers for a command line ending in `words`.
  static std::set<std::string> completions(const std::string& words) {
    const Outcome r = shell("bash -c 'source \"" + (*prefix / "share/bash-completion/completions/velmora").string() +
                            "\"; COMP_WORDS=(velmora " + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); " +
                            "_velmora; printf \"%s\\n\" \"${COMPREPLY[@]}\"'");
    std::set<std::string> out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) out.insert(line);
    return out;
  }

  static fs::path* prefix;
  static Outcome installed;
};

fs::path* Install::prefix = nullptr;
Outcome Install::installed;

TEST_F(Install, ProgramsTellTheProjectVersion) {
  for (const char* tool : {"velmora", "kestrin"}) {
    const fs::path program = *prefix / "bin" / tool;
    EXPECT_EQ(fs::status(program).permissions() & fs::perms::others_exec, fs::perms::others_exec) << tool;
    const Outcome r = shell("'" + program.string() + "' --version");
    EXPECT_EQ(r.status, 0) << tool;
    EXPECT_EQ(r.out, std::string(tool) + " " VELMORA_VERSION "\n");
  }
}

TEST_F(Install, ManualPagesShowWithMan) {
  if (shell("command -v man >/dev/null").status != 0) GTEST_SKIP() << "man is not installed";
  struct Page {
    const char* tool;
    std::vector<std::string> shows;
  };
  const Page pages[] = {
      {"velmora", {"velmora - make new random desktop wallpapers", "settings", "--screen", "velmora-N.png",
                   "VELMORA_ROOT", "velmora " VELMORA_VERSION}},
      {"kestrin", {"kestrin - compile installation scripts", "compile", "kestrin " VELMORA_VERSION}},
  };
  for (const Page& p : pages) {
    const fs::path file = *prefix / "share/man/man1" / (std::string(p.tool) + ".1.gz");
    ASSERT_TRUE(fs::exists(file)) << file;
    const Outcome r = shell("MANWIDTH=200 man -l '" + file.string() + "' 2>&1 | col -b");
    EXPECT_EQ(r.status, 0);
    for (const std::string& text : p.shows) EXPECT_NE(r.out.find(text), std::string::npos) << p.tool << ": " << text;
  }
}

TEST_F(Install, DesktopEntryMakesANewWallpaper) {
  const fs::path entry = *prefix / "share/applications/velmora-new-wallpaper.desktop";
  const std::string text = readAll(entry);
  EXPECT_NE(text.find("\nName=New wallpaper\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExec=velmora new --apply\n"), std::string::npos) << text;
  if (shell("command -v desktop-file-validate >/dev/null").status != 0) GTEST_SKIP() << "no desktop-file-validate";
  const Outcome r = shell("desktop-file-validate '" + entry.string() + "' 2>&1");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");
}

TEST_F(Install, CompletionOffersEveryCommandAndOption) {
  const std::string velmora = (*prefix / "bin/velmora").string();
  // The commands and options as the program's own help lists them.
  const std::regex command("\n  ([a-z]+)\\s");
  const std::regex option("(--[a-z-]+)");
  const std::string top = shell("'" + velmora + "' --help").out;
  const std::set<std::string> offered = completions("\"\"");
  int commands = 0;
  for (std::sregex_iterator i(top.begin(), top.end(), command), end; i != end; ++i) {
    const std::string name = (*i)[1];
    ++commands;
    EXPECT_TRUE(offered.count(name)) << name;
    const std::string help = shell("'" + velmora + "' " + name + " --help").out;
    const std::set<std::string> options = completions(name + " --");
    for (std::sregex_iterator j(help.begin(), help.end(), option); j != end; ++j) {
      EXPECT_TRUE(options.count((*j)[1])) << name << " " << (*j)[1];
    }
  }
  EXPECT_EQ(commands, 5) << top;
  EXPECT_EQ(completions("settings --mode \"\"").count("-1"), 1u);
  EXPECT_EQ(completions("autostart \"\""), (std::set<std::string>{"on", "off", "--help"}));
}

}  // namespace
