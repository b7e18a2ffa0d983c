#pragma once
// Answers uninstall.exe's dialogs as a person does: Yes in "UnInstall",
// then OK in the progress dialog, titled with the application's name, once
// the three passes have ended and enabled it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "WindowDriver.h"

namespace driver {

// `process` 0 finds the dialogs of any process (uninstall.exe started by
// another program).
inline ::testing::AssertionResult answerUninstall(DWORD process, const std::string& appName) {
  HWND confirm = nullptr;
  for (int i = 0; i < 600 && !confirm; ++i, Sleep(50)) confirm = findWindow(process, "#32770", "UnInstall");
  if (!confirm) return ::testing::AssertionFailure() << "no \"UnInstall\" dialog within 30 s";
  press(confirm, IDOK);
  HWND progress = nullptr;
  for (int i = 0; i < 600 && !progress; ++i, Sleep(50)) progress = findWindow(process, "#32770", appName.c_str());
  if (!progress) return ::testing::AssertionFailure() << "no \"" << appName << "\" dialog within 30 s";
  for (int i = 0; i < 400 && !IsWindowEnabled(GetDlgItem(progress, IDOK)); ++i) Sleep(50);
  if (!IsWindowEnabled(GetDlgItem(progress, IDOK)))
    return ::testing::AssertionFailure() << "the passes did not end within 20 s";
  press(progress, IDOK);
  return ::testing::AssertionSuccess();
}

}  // namespace driver
