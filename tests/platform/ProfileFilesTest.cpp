// Profile files: a bare name lands in the Windows directory; keys are
// replaced in place, sections and keys found without regard to case.
#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "platform/ProfileFiles.h"

namespace {

class ProfileFiles : public DriveTest {};

TEST_F(ProfileFiles, ABareNameIsAFileInTheWindowsDirectory) {
  const std::string name = "vt-bare.ini";
  const std::string inWindows = platform::windowsDirectory() + "\\" + name;
  platform::deleteFile(inWindows);
  ASSERT_EQ(platform::writeProfileString("rename", "C:\\a\\b.dll", "C:\\a\\b.dll.reboot", name), 0);
  ASSERT_EQ(platform::writeProfileString("rename", "NUL", "C:\\a\\b.dll.reboot", name), 0);
  std::string value;
  ASSERT_EQ(platform::readProfileString("rename", "NUL", inWindows, &value), 0);
  EXPECT_EQ(value, "C:\\a\\b.dll.reboot");
  ASSERT_EQ(platform::readProfileString("RENAME", "c:\\A\\b.dll", name, &value), 0);
  EXPECT_EQ(value, "C:\\a\\b.dll.reboot");
#ifndef _WIN32
  EXPECT_EQ(text(inWindows), "[rename]\r\nC:\\a\\b.dll=C:\\a\\b.dll.reboot\r\nNUL=C:\\a\\b.dll.reboot\r\n");
#endif
  platform::deleteFile(inWindows);
}

TEST_F(ProfileFiles, KeysAreReplacedInTheirSectionAndOthersKept) {
  const std::string file = at("app.ini");
  put(file, "; settings\r\n[one]\r\nA=1\r\n\r\n[Two]\r\nb=2\r\nc=3\r\n");
  ASSERT_EQ(platform::writeProfileString("two", "B", "20", file), 0);   // replaced
  ASSERT_EQ(platform::writeProfileString("ONE", "d", "4", file), 0);    // added to the first section
  ASSERT_EQ(platform::writeProfileString("three", "e", "5", file), 0);  // a new section
  struct Want {
    const char *section, *key, *value;
  } wants[] = {{"one", "a", "1"}, {"one", "d", "4"}, {"two", "b", "20"}, {"two", "c", "3"}, {"three", "E", "5"}};
  for (const Want& w : wants) {
    std::string value;
    ASSERT_EQ(platform::readProfileString(w.section, w.key, file, &value), 0) << w.key;
    EXPECT_EQ(value, w.value) << w.key;
  }
  std::string value;
  EXPECT_EQ(platform::readProfileString("one", "b", file, &value), platform::kErrorFileNotFound);
#ifndef _WIN32
  EXPECT_EQ(text(file), "; settings\r\n[one]\r\nA=1\r\nd=4\r\n\r\n[Two]\r\nb=20\r\nc=3\r\n\r\n[three]\r\ne=5\r\n");
#endif
}

}  // namespace
