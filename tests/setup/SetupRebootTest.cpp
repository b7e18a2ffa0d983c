// The reboot prompts after a file in use was scheduled for replacement,
// both answered Cancel: nothing restarts and the file waits beside the old
// one.
#include <gtest/gtest.h>

#include "RebootRun.h"

namespace {

TEST(Reboot, FileInUseAsksTwiceCancelEndsWithoutRestart) {
  driver::RebootRun run("reboot-cancel");
  driver::Installer setup(run.dir);
  HWND first = run.untilFirstPrompt(setup);
  ASSERT_NE(first, nullptr);
  driver::press(first, IDCANCEL);
  // The main window's prompt follows, with the short text.
  HWND second = nullptr;
  for (int i = 0; i < 500 && !second; ++i) {
    HWND box = setup.find("#32770", "Reboot");
    if (box && box != first && driver::boxText(box) == driver::kRebootShort) second = box;
    if (!second) Sleep(20);
  }
  ASSERT_NE(second, nullptr);
  driver::press(second, IDCANCEL);
  EXPECT_EQ(setup.waitExit(), 0);
  const std::vector<std::string> log = driver::records(run.dir);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "[after]");
  EXPECT_EQ(driver::fileText(run.installed), std::string(run.version1.begin(), run.version1.end()));
  EXPECT_EQ(driver::fileText(run.installed + ".reboot"), std::string(run.version2.begin(), run.version2.end()));
}

}  // namespace
