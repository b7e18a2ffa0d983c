#pragma once
// An installation that ends with a file in use scheduled for replacement:
// SCOPY installs version 1 of a shared file, the test holds it open, SCOPY
// of version 2 asks the copy-error question (answered Ignore), and the run
// ends with the reboot prompts.
#include "SetupDriver.h"
#include "VersionedPe.h"

namespace driver {

inline constexpr char kRebootLong[] =
    "The system need to reboot, to continue installation,exit all aplication and select OK.";
inline constexpr char kRebootShort[] = "The system needs to reboot... (bla bla)";

struct RebootRun {
  std::string dir, installed;
  testpe::Bytes version1 = testpe::image({1, 0, 0, 0});
  testpe::Bytes version2 = testpe::image({2, 0, 0, 0});

  explicit RebootRun(const std::string& name) {
    dir = freshDir(name);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    installed = std::string(system) + "\\vt-" + name + ".dll";
    DeleteFileA(installed.c_str());
    DeleteFileA((installed + ".reboot").c_str());
    pack(dir, R"(
number ok
scopy @v1, "vt-)" + name + R"(.dll"
dialog message(information, "Hold", "The test holds the file open now", okcancel, ok)
scopy @v2, "vt-)" + name + R"(.dll"
logtext "after"
)",
         {{"v1", "", version1, 0}, {"v2", "", version2, 0}});
  }

  // Runs up to the first reboot prompt, which it returns (null on a
  // failure, reported).
  HWND untilFirstPrompt(Installer& setup) {
    HWND hold = setup.waitDialog("Hold");
    EXPECT_NE(hold, nullptr);
    if (!hold) return nullptr;
    held_ = CreateFileA(installed.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(held_, INVALID_HANDLE_VALUE);
    press(hold, IDOK);
    HWND question = setup.waitDialog("Copy Error");
    EXPECT_NE(question, nullptr);
    if (!question) return nullptr;
    const std::string name = installed.substr(installed.find_last_of('\\') + 1);
    EXPECT_EQ(boxText(question), "The file '" + name + "', allready exist and is in use.\nIgnor to overwrite.");
    press(question, IDIGNORE);
    HWND prompt = setup.waitDialog("Reboot");
    EXPECT_NE(prompt, nullptr);
    if (prompt) {
      EXPECT_EQ(boxText(prompt), kRebootLong);
    }
    release();
    return prompt;
  }
  void release() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }
  ~RebootRun() { release(); }

 private:
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

}  // namespace driver
