// The kestrin command as a pack maker runs it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "CommandRun.h"

namespace {

namespace fs = std::filesystem;

using velmora::testing::Outcome;
using velmora::testing::readAll;
using velmora::testing::shell;

class KestrinCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestrin-cli-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "install.kes") << "string d\nd = \"C:\\\\App\"\nmkdir d\ncopy @big.dat, d + \"\\\\big.dat\"\n";
    std::mt19937 rng(5);
    std::string big(300000, '\0');
    for (char& c : big) c = static_cast<char>(rng());
    std::ofstream(dir / "big.dat", std::ios::binary) << big;
    std::ofstream(dir / "readme.txt") << "read me\n";
  }
  void TearDown() override { fs::remove_all(dir); }
  Outcome kestrin(const std::string& args) {
    return shell("cd '" + dir.string() + "' && '" KESTRIN_EXE "' " + args + " 2>&1");
  }
  fs::path dir;
};

TEST_F(KestrinCli, PackListExtractWithAnEntrySplitAcrossVolumes) {
  Outcome r = kestrin("pack out/SETUP --script install.kes --file readme.txt --file big.dat --keep readme.txt "
                      "--aligned big.dat --volume-size 100K");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "out/SETUP.i00\nout/SETUP.i01\nout/SETUP.i02\n");
  for (int v = 0; v < 3; ++v) EXPECT_LE(fs::file_size(dir / "out" / ("SETUP.i0" + std::to_string(v))), 100u * 1024);
  r = kestrin("list out/SETUP.i00");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("readme.txt  offset"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("size 8 keep\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("aligned continued\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("aligned continuation continued\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("aligned continuation\n"), std::string::npos) << r.out;
  r = kestrin("extract out/SETUP -o unpacked");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(readAll(dir / "unpacked" / "big.dat"), readAll(dir / "big.dat"));
  EXPECT_EQ(readAll(dir / "unpacked" / "readme.txt"), "read me\n");
  // The script in the pack is the compiled source.
  ASSERT_EQ(kestrin("compile install.kes -o install.bin").status, 0);
  EXPECT_EQ(readAll(dir / "unpacked" / "script"), readAll(dir / "install.bin"));
  EXPECT_EQ(kestrin("disasm out/SETUP.i00").out, kestrin("disasm install.bin").out);
}

TEST_F(KestrinCli, DisasmOutputCompilesToTheSameBytes) {
  ASSERT_EQ(kestrin("compile install.kes -o a.bin").status, 0);
  ASSERT_EQ(shell("cd '" + dir.string() + "' && '" KESTRIN_EXE "' disasm a.bin > a.kes").status, 0);
  ASSERT_EQ(kestrin("compile a.kes -o b.bin").status, 0);
  EXPECT_EQ(readAll(dir / "a.bin"), readAll(dir / "b.bin"));
}

TEST_F(KestrinCli, BadInputGivesOneClearLineAndAFailingExit) {
  std::ofstream(dir / "bad.kes") << "number a\n\nmkdir a +\n";
  std::ofstream(dir / "junk.i00") << "NOT A PACK";
  std::ofstream(dir / "short.bin") << "\x05";
  ASSERT_EQ(kestrin("pack ok --script install.kes --file big.dat").status, 0);
  fs::resize_file(dir / "ok.i00", 1000);  // big.dat now reaches past the end
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"compile bad.kes", "kestrin: bad.kes:3:10: expected a value\n"},
      {"compile missing.kes", "kestrin: cannot read missing.kes\n"},
      {"list junk.i00", "kestrin: junk.i00 is not a pack volume (wrong signature, or a directory past its end)\n"},
      {"list nothing.i00", "kestrin: nothing.i00 cannot be opened\n"},
      {"extract ok -o x", "kestrin: ok.i00: entry \"big.dat\" reaches past the end of its volume\n"},
      {"disasm short.bin", "kestrin: short.bin: the script is shorter than its own header\n"},
      {"pack p --script install.kes --file read=readme.txt --file readme=readme.txt",
       "kestrin: entry \"readme\" would be found as the earlier entry \"read\" (a record matches every name that "
       "begins with it); put \"readme\" first or rename one of them\n"},
      {"pack p --script install.kes --file readme.txt --file readme.txt", "kestrin: entry \"readme.txt\" is given twice\n"},
      {"pack p --script install.kes --file 123456789012345678901234567890123=readme.txt",
       "kestrin: entry name \"123456789012345678901234567890123\" must have 1 to 32 bytes\n"},
      {"pack p --script install.kes --volume-size 10", "kestrin: a volume must hold at least 64 bytes\n"},
      {"pack p --script install.kes --file readme.txt --volume-size 80",
       "kestrin: a volume of a pack with several entries must hold at least 90 bytes\n"},
      {"pack p --script install.kes --volume-size 64",
       "kestrin: the entry \"script\" would be split across volumes, but the installer loads only its first part; choose "
       "a larger volume size\n"},
      {"pack p --script install.kes --keep nosuch", "kestrin: --keep names no entry: nosuch\n"},
  };
  for (const auto& c : cases) {
    const Outcome r = kestrin(c.args);
    EXPECT_NE(r.status, 0) << c.args;
    // The message is the last line (extract lists what it copied before).
    const std::size_t from = r.out.rfind('\n', r.out.size() >= 2 ? r.out.size() - 2 : 0);
    EXPECT_EQ(from == std::string::npos ? r.out : r.out.substr(from + 1), c.message) << c.args;
  }
  EXPECT_FALSE(fs::exists(dir / "x" / "big.dat"));
  EXPECT_FALSE(fs::exists(dir / "p.i00"));
}

TEST_F(KestrinCli, CheckPassesASoundPackAndNamesTheFirstFault) {
  ASSERT_EQ(kestrin("pack out/SETUP --script install.kes --file readme.txt --file big.dat --volume-size 100K").status, 0);
  ASSERT_EQ(kestrin("compile install.kes -o install.bin").status, 0);
  const std::string code = std::to_string(fs::file_size(dir / "install.bin") - 4);
  Outcome r = kestrin("check out/SETUP");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "out/SETUP: sound: 3 volumes, 3 entries; script of 3 statements, 1 variable, " + code + " bytes of code\n");
  EXPECT_EQ(kestrin("check out/SETUP.i01").out, r.out);  // any volume names its pack
  r = kestrin("check install.bin");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "install.bin: sound: 3 statements, 1 variable, " + code + " bytes of code\n");

  // An unknown opcode after the script's first statement.
  std::string bin = readAll(dir / "install.bin");
  bin.push_back(static_cast<char>(0x84));
  std::ofstream(dir / "bad.bin", std::ios::binary) << bin;
  r = kestrin("check bad.bin");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "kestrin: bad.bin: pc " + code + ": opcode 0x84 is not a statement\n");

  fs::rename(dir / "out" / "SETUP.i01", dir / "SETUP.i01");
  r = kestrin("check out/SETUP");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "kestrin: out/SETUP.i00: entry \"big.dat\" (record 2): it goes on in out/SETUP.i01, which is missing\n");
}

// As an archiver does: what can be read is listed, and the exit status says
// the pack is damaged.
TEST_F(KestrinCli, ListShowsADamagedPackAsFarAsItCanAndFails) {
  ASSERT_EQ(kestrin("pack out/SETUP --script install.kes --file readme.txt --file big.dat --volume-size 100K").status, 0);
  ASSERT_EQ(kestrin("list out/SETUP").status, 0);
  const auto lastLine = [](const std::string& out) {
    const std::size_t from = out.rfind('\n', out.size() >= 2 ? out.size() - 2 : 0);
    return from == std::string::npos ? out : out.substr(from + 1);
  };

  // The middle volume cut short: its entry reaches past the end; the last
  // volume is still listed.
  fs::resize_file(dir / "out" / "SETUP.i01", 5000);
  Outcome r = kestrin("list out/SETUP");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("out/SETUP.i01: 1 entry\n  big.dat  offset 48  size "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("continuation continued  (past the end of the volume)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("out/SETUP.i02: 1 entry\n"), std::string::npos) << r.out;
  EXPECT_EQ(lastLine(r.out).rfind("kestrin: out/SETUP.i01: entry \"big.dat\" (record 0): its ", 0), 0u) << r.out;

  // The first volume cut inside its directory: the whole records are listed.
  fs::resize_file(dir / "out" / "SETUP.i00", 7 + 41 * 2 + 10);
  r = kestrin("list out/SETUP");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("out/SETUP.i00: directory cut short: 2 of 3 records\n  script  offset 130  size "), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  readme.txt  offset "), std::string::npos) << r.out;
  EXPECT_EQ(lastLine(r.out),
            "kestrin: out/SETUP.i00 is not a pack volume (wrong signature, or a directory past its end)\n");
}

}  // namespace
