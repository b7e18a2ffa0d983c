// The switch itself: which call fails, with what, and what a failed call
// leaves behind.
#include <cstdint>
#include <string>
#include <vector>

#include "FaultFixture.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemError.h"

namespace {

using platform::faults::Service;
namespace faults = platform::faults;

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

TEST_F(FaultTest, TheNthCallOfTheChosenServiceFailsWithTheChosenError) {
  struct Case {
    Service service;
    std::int32_t error;
    std::function<std::int32_t(int)> call;  // the i-th call of the service
  };
  const std::vector<Case> cases = {
      {Service::Open, platform::kErrorAccessDenied,
       [](int i) { return platform::writeFile("c:\\f" + std::to_string(i), bytesOf("x")); }},
      {Service::Write, platform::kErrorWriteFault,
       [](int i) { return platform::appendFile("c:\\w", bytesOf(std::to_string(i))); }},
      {Service::Read, platform::kErrorIoDevice,
       [](int) {
         std::vector<std::uint8_t> data;
         return platform::readFile("c:\\windows\\r", 100, &data);
       }},
      {Service::Rename, platform::kErrorSharingViolation,
       [](int i) { return platform::replaceFile("c:\\n", bytesOf(std::to_string(i))); }},
      {Service::CreateDirectory, platform::kErrorDiskFull,
       [](int i) { return platform::createDirectory("c:\\d" + std::to_string(i)); }},
  };
  ASSERT_EQ(platform::writeFile("c:\\windows\\r", bytesOf("read me")), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.service));
    faults::failCall(c.service, 3, c.error);
    EXPECT_EQ(c.call(1), 0);
    EXPECT_EQ(c.call(2), 0);
    EXPECT_FALSE(faults::faultFired());
    EXPECT_EQ(c.call(3), c.error);
    EXPECT_TRUE(faults::faultFired());
    EXPECT_EQ(c.call(4), 0) << "only the third call fails";
    EXPECT_EQ(faults::callCount(c.service), 4u);
    faults::failCall(c.service, 2, c.error, /*sticky=*/true);
    EXPECT_EQ(c.call(5), 0);
    EXPECT_EQ(c.call(6), c.error);
    EXPECT_EQ(c.call(7), c.error) << "sticky: every later call fails too";
    faults::clearFaults();
    EXPECT_EQ(c.call(8), 0);
  }
}

TEST_F(FaultTest, AFailedCallLeavesNothingHalfDone) {
  ASSERT_EQ(platform::writeFile("c:\\log", bytesOf("[a]\n")), 0);
  ASSERT_EQ(platform::replaceFile("c:\\wall", bytesOf("old picture")), 0);

  // A disk that fills up in the middle of an append: the half written is
  // taken back, the file is as it was.
  faults::failCall(Service::Write, 1, platform::kErrorDiskFull);
  EXPECT_EQ(platform::appendFile("c:\\log", bytesOf("[bbbbbbbb]\n")), platform::kErrorDiskFull);
  EXPECT_EQ(fileText(host("drive_c/log")), "[a]\n");

  // A replacement that cannot be written or put in place keeps the old file
  // and leaves no temporary file beside it.
  for (const Service s : {Service::Write, Service::Rename, Service::Open}) {
    faults::failCall(s, 1, s == Service::Write ? platform::kErrorDiskFull : platform::kErrorAccessDenied);
    EXPECT_NE(platform::replaceFile("c:\\wall", bytesOf("new picture")), 0);
    EXPECT_EQ(fileText(host("drive_c/wall")), "old picture");
  }
  faults::clearFaults();
  std::vector<platform::DirectoryEntry> entries;
  ASSERT_EQ(platform::listDirectory("c:\\", &entries), 0);
  for (const auto& e : entries) EXPECT_EQ(e.name.find("wall."), std::string::npos) << e.name;

  // A copy that fails part-way does not leave its destination behind.
  faults::failCall(Service::Read, 2, platform::kErrorIoDevice);
  EXPECT_EQ(platform::copyFile("c:\\wall", "c:\\copy", platform::IfExists::Fail), platform::kErrorIoDevice);
  EXPECT_FALSE(platform::fileExists("c:\\copy"));
}

TEST_F(FaultTest, AFailedRegistryWriteIsRolledBack) {
  const platform::RegKey hkcu = platform::regRoot(platform::RegRoot::CurrentUser);
  platform::RegKey key;
  ASSERT_EQ(platform::regCreateKey(hkcu, "Software\\T", platform::RegAccess::All, &key, nullptr), 0);
  const std::uint8_t one[4] = {1, 0, 0, 0};
  const std::uint8_t two[4] = {2, 0, 0, 0};
  ASSERT_EQ(platform::regSetValue(key, "v", platform::kRegDword, one), 0);

  faults::failCall(Service::RegistryWrite, 1, platform::kErrorRegistryIoFailed, true);
  EXPECT_EQ(platform::regSetValue(key, "v", platform::kRegDword, two), platform::kErrorRegistryIoFailed);
  EXPECT_EQ(platform::regDeleteValue(key, "v"), platform::kErrorRegistryIoFailed);
  platform::RegKey sub;
  EXPECT_EQ(platform::regCreateKey(hkcu, "Software\\T\\New", platform::RegAccess::All, &sub, nullptr),
            platform::kErrorRegistryIoFailed);
  EXPECT_EQ(platform::regDeleteTree(hkcu, "Software\\T"), platform::kErrorRegistryIoFailed);
  // Opening what exists writes nothing, so it still works.
  EXPECT_EQ(platform::regCreateKey(hkcu, "Software\\T", platform::RegAccess::All, &sub, nullptr), 0);
  faults::clearFaults();

  std::uint8_t got[4] = {};
  std::uint32_t size = 4;
  EXPECT_EQ(platform::regQueryValue(key, "v", nullptr, got, &size), 0);
  EXPECT_EQ(got[0], 1);
  EXPECT_EQ(platform::regOpenKey(hkcu, "Software\\T\\New", platform::RegAccess::Read, &sub),
            platform::kErrorFileNotFound);
  EXPECT_EQ(registryIntegrity(), "ok");
}

TEST_F(FaultTest, TheSwitchIsSetFromText) {
  struct Case {
    const char* text;
    bool parses;
    Service service;
  };
  const Case cases[] = {
      {"write:3:112:sticky", true, Service::Write}, {"open:1:5", true, Service::Open},
      {"regwrite:2:1016", true, Service::RegistryWrite}, {"mkdir:1:3", true, Service::CreateDirectory},
      {"diskfull:4", true, Service::Write}, {"rename:x:5", false, Service::Open},
      {"unlink:1:5", false, Service::Open}, {"write:1:5:always", false, Service::Open},
      {"write", false, Service::Open}, {"open:-1:5", false, Service::Open},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    faults::clearFaults();
    EXPECT_EQ(faults::armFromText(c.text), c.parses);
  }
  faults::armFromText("diskfull:2");
  EXPECT_EQ(platform::appendFile("c:\\f", bytesOf("ab")), 0);
  EXPECT_EQ(platform::appendFile("c:\\f", bytesOf("cd")), platform::kErrorDiskFull);
  EXPECT_EQ(platform::appendFile("c:\\f", bytesOf("ef")), platform::kErrorDiskFull);
  EXPECT_EQ(fileText(host("drive_c/f")), "ab");
}
