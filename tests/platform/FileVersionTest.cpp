// Our parser of the version resource, over files made by the test's PE
// builder and (under Wine) over the deliverables themselves.
#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"
#include "platform/SystemError.h"

namespace {

using platform::FileVersion;

TEST(FileVersionParse, ReadsTheFixedRecordAndTheLanguage) {
  struct Case {
    testpe::Version v;
  } cases[] = {
      {{1, 0, 0, 0, 0x0816, 1252, 2, ""}},
      {{4, 10, 1998, 7, 0x0409, 1200, 1, "x"}},
      {{65535, 65535, 65535, 65535, 0x0816, 0, 2, std::string(1000, 'f')}},
  };
  for (const Case& c : cases) {
    FileVersion fv;
    ASSERT_EQ(platform::parseFileVersion(testpe::image(c.v), &fv), platform::kErrorSuccess);
    EXPECT_EQ(fv.fileVersionMs, std::uint32_t{c.v.major} << 16 | c.v.minor);
    EXPECT_EQ(fv.fileVersionLs, std::uint32_t{c.v.build} << 16 | c.v.revision);
    EXPECT_EQ(fv.fileType, c.v.fileType);
    EXPECT_EQ(fv.language, c.v.language);
    EXPECT_EQ(fv.codePage, c.v.codePage);
  }
}

TEST(FileVersionParse, FilesWithoutAVersionAndDamagedFilesSayNoResource) {
  FileVersion fv;
  EXPECT_EQ(platform::parseFileVersion(testpe::image({}, false), &fv), platform::kErrorResourceTypeNotFound);
  const std::string text = "just text, not a program";
  EXPECT_EQ(platform::parseFileVersion({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, &fv),
            platform::kErrorResourceTypeNotFound);
  // Every prefix of a good file: never read past the end, and only the
  // whole file (or one that still holds the resource) parses.
  const testpe::Bytes whole = testpe::image({2, 1, 0, 0});
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const std::int32_t r = platform::parseFileVersion({whole.data(), n}, &fv);
    if (r == platform::kErrorSuccess) {
      EXPECT_EQ(fv.fileVersionMs, 0x00020001u) << n;
    } else {
      EXPECT_EQ(r, platform::kErrorResourceTypeNotFound) << n;
    }
  }
  // Directory offsets pointing far outside the file.
  testpe::Bytes wild = whole;
  testpe::put32(wild, 0x200 + 20, 0x8FFFFFF0);
  EXPECT_EQ(platform::parseFileVersion(wild, &fv), platform::kErrorResourceTypeNotFound);
  wild = whole;
  testpe::put32(wild, 0x200 + 0x48, 0x7FFFFFF0);
  EXPECT_EQ(platform::parseFileVersion(wild, &fv), platform::kErrorResourceTypeNotFound);
}

TEST(FileVersionParse, OrdersByMostSignificantPartFirst) {
  const auto v = [](std::uint32_t ms, std::uint32_t ls) {
    FileVersion f;
    f.fileVersionMs = ms;
    f.fileVersionLs = ls;
    return f;
  };
  EXPECT_LT(platform::compareFileVersions(v(0x00010000, 0xFFFFFFFF), v(0x00010001, 0)), 0);
  EXPECT_GT(platform::compareFileVersions(v(0x00020000, 1), v(0x00020000, 0)), 0);
  EXPECT_EQ(platform::compareFileVersions(v(3, 4), v(3, 4)), 0);
}

class FileVersionRead : public DriveTest {};

TEST_F(FileVersionRead, ReadsAFileAndTellsAMissingOne) {
  put(at("lib.dll"), testpe::image({3, 2, 1, 0}));
  FileVersion fv;
  ASSERT_EQ(platform::readFileVersion(at("lib.dll"), &fv), 0);
  EXPECT_EQ(fv.fileVersionMs, 0x00030002u);
  EXPECT_EQ(fv.fileVersionLs, 0x00010000u);
  EXPECT_EQ(platform::readFileVersion(at("none.dll"), &fv), platform::kErrorFileNotFound);
}

#ifdef _WIN32
// The deliverables carry the project's version in Portuguese (Portugal).
TEST_F(FileVersionRead, TheDeliverablesCarryTheProjectVersion) {
  for (const char* name : {"velmgen.dll", "velmcpl.cpl", "velmrun.exe"}) {
    FileVersion fv;
    ASSERT_EQ(platform::readFileVersion(std::string(VELMORA_BIN_DIR) + "\\" + name, &fv), 0) << name;
    EXPECT_EQ(fv.fileVersionMs, std::uint32_t{VELMORA_VERSION_MAJOR} << 16 | VELMORA_VERSION_MINOR) << name;
    EXPECT_EQ(fv.fileVersionLs, std::uint32_t{VELMORA_VERSION_PATCH} << 16) << name;
    EXPECT_EQ(fv.language, 0x0816u) << name;
    EXPECT_EQ(fv.codePage, 1252u) << name;
    EXPECT_EQ(fv.fileType, std::string(name) == "velmrun.exe" ? 1u : 2u) << name;
  }
}
#endif

}  // namespace
