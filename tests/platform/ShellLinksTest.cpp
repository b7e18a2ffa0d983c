// Shortcut files made and read back: through the shell's link object under
// Wine, and natively by our own writer, checked by Debian's lnkinfo.
#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "platform/Programs.h"
#include "platform/ShellLinks.h"

namespace {

class ShellLinks : public DriveTest {};

TEST_F(ShellLinks, TargetArgumentsAndDescriptionReadBack) {
  struct Case {
    const char *target, *arguments, *description;
  } cases[] = {
      {"C:\\Program Files\\Velmora\\velmrun.exe", "", "New wallpaper"},
      {"C:\\Program Files\\Velmora\\velmrun.exe", "/now \"two words\"", ""},  // an empty description
      {"C:\\x.exe", "-a", "A description, with punctuation: 100%"},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string link = at("link" + std::to_string(i++) + ".lnk");
    ASSERT_TRUE(platform::createShellLink(c.target, c.arguments, link, c.description).ok()) << link;
    platform::ShellLinkFields fields;
    ASSERT_TRUE(platform::readShellLink(link, &fields).ok()) << link;
    EXPECT_EQ(fields.target, c.target);
    EXPECT_EQ(fields.arguments, c.arguments);
    EXPECT_EQ(fields.description, c.description);
  }
}

// Measured under Wine: Save into a folder that does not exist fails with
// 0x80070003 (the path was not found) and writes nothing.
TEST_F(ShellLinks, AMissingFolderFailsTheSaveAndLeavesNoFile) {
  const std::string link = at("no-such-folder\\x.lnk");
  const platform::ShellLinkOutcome outcome = platform::createShellLink("C:\\x.exe", "", link, "x");
  EXPECT_EQ(outcome.failedAt, platform::ShellLinkOutcome::Step::Save);
  EXPECT_EQ(static_cast<std::uint32_t>(outcome.hresult), 0x80070003u);
  EXPECT_FALSE(platform::fileExists(link));
}

#ifndef _WIN32
TEST_F(ShellLinks, LnkinfoReadsOurFiles) {
  const std::string lnkinfo = platform::findProgram("lnkinfo");
  if (lnkinfo.empty()) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
  const std::string link = at("velmora.lnk");
  ASSERT_TRUE(platform::createShellLink("C:\\Program Files\\Velmora\\velmrun.exe", "-x 1", link, "New wallpaper").ok());
  bool ok = false;
  const std::string out = platform::runAndCapture({lnkinfo, platform::nativePath(link)}, &ok);
  ASSERT_TRUE(ok) << out;
  EXPECT_NE(out.find("Local path\t\t\t: C:\\Program Files\\Velmora\\velmrun.exe"), std::string::npos) << out;
  EXPECT_NE(out.find("Command line arguments\t\t: -x 1"), std::string::npos) << out;
  EXPECT_NE(out.find("Description\t\t\t: New wallpaper"), std::string::npos) << out;
  EXPECT_NE(out.find("Drive type\t\t\t: Fixed"), std::string::npos) << out;
}
#endif

}  // namespace
