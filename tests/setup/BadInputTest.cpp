// Damaged packs and malformed scripts: no crash, no hang, no unbounded
// allocation; a malformed script ends the run with error record 3.
#include <random>

#include "EngineFixture.h"

namespace {

using namespace setup;
using kestrin::Bytes;

void writeRaw(const std::string& name, const Bytes& bytes) {
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes volume(std::uint32_t dirLength, std::string_view name, std::uint32_t offset, std::uint32_t size, std::size_t data) {
  Bytes v{'V', 'F', 'S'};
  kestrin::put32(v, dirLength);
  v.insert(v.end(), name.begin(), name.end());
  v.resize(7 + 32, 0);
  kestrin::put32(v, offset);
  kestrin::put32(v, size);
  v.push_back(0);
  v.resize(v.size() + data, 'd');
  return v;
}

class BadPacks : public EngineTest {};

TEST_F(BadPacks, DamagedVolumesAreRefusedWithTheirStatus) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::int32_t status;
  };
  const Case cases[] = {
      {"wrong signature", [] { Bytes b = volume(41, "a", 48, 1, 1); b[0] = 'X'; return b; }(), kPackInvalid},
      {"shorter than its signature", {'V', 'F'}, kPackInvalid},
      {"no directory length", {'V', 'F', 'S', 1}, kPackInvalid},
      {"directory past the end", volume(0xFFFFFFF0u, "a", 48, 1, 1), kPackInvalid},
      {"two records promised, one there", volume(82, "a", 48, 0, 0), kPackInvalid},
  };
  for (const Case& c : cases) {
    writeRaw("bad.i00", c.bytes);
    auto p = InstallPack::open("bad.i00");
    EXPECT_EQ(p->status, c.status) << c.what;
    EXPECT_EQ(p->recordCount, 0) << c.what;
    EXPECT_EQ(p->loadEntry("a"), nullptr) << c.what;
  }
}

TEST_F(BadPacks, EntriesPastTheEndAreNeitherLoadedNorCopied) {
  theVolumeChain().start("bad");
  for (auto [offset, size] : {std::pair{48u, 100u}, {0xFFFFFFFFu, 1u}, {40u, 0xFFFFFFFFu}}) {
    writeRaw("bad.i00", volume(41, "a", offset, size, 10));
    auto p = InstallPack::open("bad.i00");
    ASSERT_EQ(p->status, kPackOk);
    EXPECT_EQ(p->loadEntry("a"), nullptr);
    EXPECT_EQ(p->status, kPackInvalid);
    theVolumeChain().continuationPending = 1;
    p->extractEntry("a", "out");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out")) << "a truncated entry must not make a file";
    EXPECT_EQ(theVolumeChain().continuationPending, 0);
  }
}

TEST_F(BadPacks, AMissingNextVolumeEndsTheCopyLoop) {
  std::string error;
  ASSERT_TRUE(kestrin::writePack("p", {{"big", "", Bytes(3000, 'b'), 0}}, 1024, nullptr, &error)) << error;
  std::filesystem::remove(dir_ / "p.i02");
  theVolumeChain().start("p");
  std::unique_ptr<InstallPack> current = InstallPack::open("p.i00");
  EXPECT_FALSE(copyEntry(current, "big", "out"));
  EXPECT_EQ(theVolumeChain().volumeNumber, 2);
  EXPECT_EQ(current->status, kPackNoEntry);  // the missing volume has no records
}

class BadScripts : public EngineTest {
 protected:
  // Runs `code` after a LOGTEXT "first" and expects the error record at the
  // bad statement's position.
  void expectInvalid(const char* what, const Bytes& code, std::vector<std::uint8_t> types = {0}) {
    Bytes all = kestrin::exprStatement(0x86, kestrin::stringExpr("first"));
    const std::size_t at = all.size();
    all.insert(all.end(), code.begin(), code.end());
    ASSERT_EQ(startWith(types, all), kStatusRunning) << what;
    EXPECT_EQ(runToEnd(), std::vector<std::int32_t>{kStatusEnded}) << what;
    EXPECT_EQ(records(), "[first]\n*ERROR #3@" + std::to_string(at) + ",Invalid script.*") << what;
  }
};

Bytes evalTokens(const Bytes& tokens) { return kestrin::exprStatement(0x82, kestrin::expression(tokens)); }

TEST_F(BadScripts, MalformedCodeEndsTheRunWithAnErrorRecord) {
  Bytes deep;
  for (int i = 0; i < 257; ++i) kestrin::tokenNumber(deep, i);
  Bytes unary;
  kestrin::tokenOperator(unary, 26);
  Bytes binary;
  kestrin::tokenNumber(binary, 1);
  kestrin::tokenOperator(binary, 18);
  Bytes pastN;
  kestrin::tokenVariable(pastN, 1);
  Bytes pastSystem;
  kestrin::tokenVariable(pastSystem, 13 * 256);
  Bytes toSystem;
  kestrin::tokenVariable(toSystem, 0x0100);
  kestrin::tokenString(toSystem, "x");
  kestrin::tokenOperator(toSystem, 0);
  Bytes toComputed;
  kestrin::tokenNumber(toComputed, 1);
  kestrin::tokenNumber(toComputed, 2);
  kestrin::tokenOperator(toComputed, 0);
  Bytes cutLiteral{0xFB, 10, 0, 'a'};
  Bytes cutNumber{0xFE, 0, 1, 2};
  const struct {
    const char* what;
    Bytes code;
  } cases[] = {
      {"unknown token", evalTokens({0x17, 0, 0})},
      {"stack deeper than 256", evalTokens(deep)},
      {"unary operator without operand", evalTokens(unary)},
      {"binary operator with one operand", evalTokens(binary)},
      {"variable index at n", evalTokens(pastN)},
      {"system variable past the table", evalTokens(pastSystem)},
      {"assignment to a system variable", evalTokens(toSystem)},
      {"assignment to a computed value", evalTokens(toComputed)},
      {"empty expression", evalTokens({})},
      {"literal cut by its count", evalTokens(cutLiteral)},
      {"number cut by its count", evalTokens(cutNumber)},
      {"expression count past the code", {0x82, 0x40, 0x00, 0xFE, 0, 1, 0, 0, 0}},
      {"opcode 0x84", {0x84, 0, 0}},
      {"opcode 0x8C", {0x8C, 0, 0}},
      {"byte below 0x80", {0x12}},
      {"statement count past the code", {0x8B, 0x20, 0x00, 0}},
      {"copy operands past the body", kestrin::bodyStatement(0x8B, {0, 3, 0, 0xFE})},
      {"goto cut short", {0x80, 0x01}},
      {"loadentry into a system variable", kestrin::loadEntryStatement(0x100, kestrin::stringExpr("@a"))},
      {"dialog without kind", kestrin::bodyStatement(0x88, {})},
  };
  for (const auto& c : cases) expectInvalid(c.what, c.code);
}

TEST_F(BadScripts, AScriptShorterThanItsHeaderIsNoScript) {
  std::string error;
  ASSERT_TRUE(kestrin::writePack("inst", {{"script", "", {5, 0, 0}, 0}}, 0, nullptr, &error));
  EXPECT_EQ(startEngine(), kStatusNoScript);
}

TEST_F(BadScripts, JumpsPastTheEndEndTheRun) {
  ASSERT_EQ(startWith({}, kestrin::gotoStatement(0xFFFF)), kStatusRunning);
  EXPECT_EQ(runToEnd(), std::vector<std::int32_t>{kStatusEnded});
  EXPECT_EQ(logText(), kLogHeader);
}

}  // namespace

namespace {

// Random bytes drawn mostly from the codes the engine knows.
kestrin::Bytes randomCode(std::mt19937& rng, std::size_t size) {
  static const std::uint8_t alphabet[] = {0xFB, 0xFC, 0xFD, 0xFE, 0x00, 0x01, 0x02, 0x03, 0x12, 0x18,
                                          0x1A, 0x1C, 0x80, 0x81, 0x82, 0x86, 0x88, 0x8B, 0x93, 0xFF};
  kestrin::Bytes b(size);
  for (auto& c : b)
    c = rng() % 4 ? alphabet[rng() % std::size(alphabet)] : static_cast<std::uint8_t>(rng());
  return b;
}

TEST_F(BadScripts, RandomExpressionsNeverReadPastTheirBytes) {
  const std::uint8_t types[] = {0, 0, 1, 0};
  setup::buildVariables(types, 2);
  std::mt19937 rng(11);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    kestrin::Bytes e = randomCode(rng, 2 + rng() % 40);
    if (rng() % 4) {  // mostly a count that fits
      e[0] = static_cast<std::uint8_t>(e.size() - 2 - rng() % 3);
      e[1] = 0;
    }
    // An exact-size buffer, so a read past it is caught by the sanitizer.
    std::vector<std::uint8_t> exact(e.begin(), e.end());
    accepted += setup::evalExpression(exact);
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
