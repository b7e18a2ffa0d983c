// The end-of-run reboot prompt answered OK: the session restarts (under
// Wine the prefix's windows are closed and the restart-time renames are
// carried out), so the file that was in use is replaced. Runs in a Wine
// prefix of its own.
#include <gtest/gtest.h>

#include "RebootRun.h"

namespace {

TEST(Reboot, OkRestartsAndTheFileInUseIsReplaced) {
  driver::RebootRun run("reboot-ok");
  driver::Installer setup(run.dir);
  HWND first = run.untilFirstPrompt(setup);
  ASSERT_NE(first, nullptr);
  driver::press(first, IDOK);
  // The restart closes setup's windows and ends it; the window's own prompt
  // may still be seen on the way, and is answered Cancel.
  for (int i = 0; i < 1500 && setup.running(); ++i) {
    HWND box = setup.find("#32770", "Reboot");
    if (box && box != first && driver::boxText(box) == driver::kRebootShort) driver::press(box, IDCANCEL);
    Sleep(20);
  }
  EXPECT_FALSE(setup.running());
  const std::string wanted(run.version2.begin(), run.version2.end());
  bool replaced = false;
  for (int i = 0; i < 600 && !replaced; ++i) {
    replaced = driver::fileText(run.installed) == wanted;
    if (!replaced) Sleep(100);
  }
  EXPECT_TRUE(replaced) << "the restart did not replace the file in use";
}

}  // namespace
