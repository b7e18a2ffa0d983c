// The version-checked install of shared files: natively our own installer,
// under Wine the system's VerFindFileA and VerInstallFileA. The expected
// result bits are what Wine gives; the host build gives the same.
#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "HeldOpen.h"
#include "VersionedPe.h"
#include "platform/FileVersion.h"
#include "platform/SharedFiles.h"

namespace {

using namespace platform;

class SharedFiles : public DriveTest {
 protected:
  void SetUp() override {
    DriveTest::SetUp();
    src_ = at("src");
    dest_ = at("dest");
    makeDirs(src_);
    makeDirs(dest_);
  }
  void source(const testpe::Version& v, bool withVersion = true) { put(src_ + "\\lib.dll", testpe::image(v, withVersion)); }
  void present(const testpe::Version& v, bool withVersion = true) { put(dest_ + "\\lib.dll", testpe::image(v, withVersion)); }
  InstallOutcome install(std::uint32_t flags = kViffDontDeleteOld, std::string_view temp = {}) {
    return installFile(flags, "lib.dll", "lib.dll", src_, dest_, dest_, temp);
  }
  std::uint32_t presentMajor() const {
    FileVersion fv;
    return readFileVersion(dest_ + "\\lib.dll", &fv) == 0 ? fv.fileVersionMs >> 16 : 0;
  }
  // The installer's temporary files left in the destination.
  std::vector<std::string> leftovers() const {
    std::vector<DirectoryEntry> entries;
    listDirectory(dest_, &entries);
    std::vector<std::string> out;
    for (const auto& e : entries)
      if (e.name != "lib.dll") out.push_back(e.name);
    return out;
  }
  std::string src_, dest_;
};

TEST_F(SharedFiles, SharedFilesBelongInTheSystemDirectory) {
  // Measured under Wine: no present copy is also "not where it belongs".
  FoundLocation found = findFileLocation(kVffIsSharedFile, "vt-absent.dll", windowsDirectory(), work_);
  EXPECT_EQ(found.result, kVffCurNeDest);
  EXPECT_EQ(found.destinationDir, systemDirectory());
  EXPECT_EQ(found.currentDir, "");
  // Present only in the application directory: found there, not where it belongs.
  put(at("vt-app.dll"), testpe::image({1, 0, 0, 0}));
  found = findFileLocation(kVffIsSharedFile, "vt-app.dll", windowsDirectory(), work_);
  EXPECT_EQ(found.result, kVffCurNeDest);
  EXPECT_EQ(found.currentDir, work_);
  // Present where it belongs, and held open: in use.
  const std::string inSystem = systemDirectory() + "\\vt-sys.dll";
  put(inSystem, testpe::image({1, 0, 0, 0}));
  found = findFileLocation(kVffIsSharedFile, "vt-sys.dll", windowsDirectory(), work_);
  EXPECT_EQ(found.result, 0u);
  EXPECT_EQ(found.currentDir, systemDirectory());
  {
    // Measured under Wine: a copy held open without sharing is not
    // reported (0); the host reports its lock. The installer finds out
    // either way.
    HeldOpen held(inSystem);
    found = findFileLocation(kVffIsSharedFile, "vt-sys.dll", windowsDirectory(), work_);
#ifdef _WIN32
    EXPECT_EQ(found.result, 0u);
#else
    EXPECT_EQ(found.result, kVffFileInUse);
#endif
  }
  deleteFile(inSystem);
}

TEST_F(SharedFiles, NewAndNewerFilesGoInAndLeaveNothingBehind) {
  source({1, 0, 0, 0});
  EXPECT_EQ(install().result, 0u);  // no file there yet
  EXPECT_EQ(presentMajor(), 1u);
  source({2, 0, 0, 0});
  EXPECT_EQ(install().result, 0u);  // newer over older
  EXPECT_EQ(presentMajor(), 2u);
  source({2, 0, 0, 0, 0x0816, 1252, 2, "other bytes"});
  EXPECT_EQ(install().result, 0u);  // the same version
  present({1, 0, 0, 0}, false);
  source({1, 0, 0, 0});
  EXPECT_EQ(install().result, 0u);  // the present file has no version: nothing to compare
  EXPECT_EQ(presentMajor(), 1u);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  EXPECT_TRUE(fileExists(src_ + "\\lib.dll"));  // the source stays
}

TEST_F(SharedFiles, ConflictsKeepTheTemporaryCopyUntilForced) {
  struct Case {
    const char* what;
    testpe::Version present, incoming;
    bool incomingHasVersion;
    std::uint32_t result;
  } cases[] = {
      {"older over newer", {3, 0, 0, 0}, {2, 9, 9, 9}, true, kVifTempFile | kVifMismatch | kVifSrcOld},
      {"older build", {3, 0, 0, 2}, {3, 0, 0, 1}, true, kVifTempFile | kVifMismatch | kVifSrcOld},
      {"another type", {1, 0, 0, 0}, {1, 0, 0, 0, 0x0816, 1252, 1, ""}, true, kVifTempFile | kVifMismatch | kVifDiffType},
      {"no version over one", {1, 0, 0, 0}, {5, 0, 0, 0}, false, kVifTempFile | kVifMismatch | kVifSrcOld},
  };
  for (const Case& c : cases) {
    present(c.present);
    source(c.incoming, c.incomingHasVersion);
    const InstallOutcome first = install();
    EXPECT_EQ(first.result, c.result) << c.what;
    EXPECT_EQ(presentMajor(), c.present.major) << c.what;
    // Wine answers the temporary file's name with a leading backslash.
    std::string_view name = first.tempFile;
    while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
    EXPECT_EQ(leftovers(), std::vector<std::string>{std::string(name)}) << c.what;
    // Forced with that name: the temporary copy goes in.
    EXPECT_EQ(install(kViffForceInstall | kViffDontDeleteOld, first.tempFile).result, 0u) << c.what;
    EXPECT_EQ(text(dest_ + "\\lib.dll"), text(src_ + "\\lib.dll")) << c.what;
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << c.what;
  }
}

// Measured under Wine: a destination held open without sharing gives
// VIF_SHARINGVIOLATION | VIF_CANNOTDELETE (0x1400), the file stays as it
// was and the temporary copy is removed again.
TEST_F(SharedFiles, AFileInUseIsNotReplaced) {
  present({1, 0, 0, 0});
  source({2, 0, 0, 0});
  {
    HeldOpen held(dest_ + "\\lib.dll");
    EXPECT_EQ(install().result, kVifSharingViolation | kVifCannotDelete);
  }
  EXPECT_EQ(presentMajor(), 1u);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  EXPECT_EQ(install().result, 0u);  // once it is free
  EXPECT_EQ(presentMajor(), 2u);
}

TEST_F(SharedFiles, AnOldCopyElsewhereGoesOnlyWithoutDontDeleteOld) {
  const std::string elsewhere = at("old");
  makeDirs(elsewhere);
  source({2, 0, 0, 0});
  put(elsewhere + "\\lib.dll", testpe::image({1, 0, 0, 0}));
  EXPECT_EQ(installFile(kViffDontDeleteOld, "lib.dll", "lib.dll", src_, dest_, elsewhere).result, 0u);
  EXPECT_TRUE(fileExists(elsewhere + "\\lib.dll"));
  deleteFile(dest_ + "\\lib.dll");
  EXPECT_EQ(installFile(0, "lib.dll", "lib.dll", src_, dest_, elsewhere).result, 0u);
  EXPECT_FALSE(fileExists(elsewhere + "\\lib.dll"));
}

TEST_F(SharedFiles, AMissingSourceCannotBeRead) {
  EXPECT_EQ(install().result, kVifCannotReadSrc);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace
