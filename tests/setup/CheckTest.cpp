// kestrin's checks: compiled scripts and packs read as the installer reads
// them, each fault named where it is; and packs written so that the
// installer reaches every volume.
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "Compiler.h"
#include "EngineFixture.h"
#include "PackCheck.h"
#include "ScriptCheck.h"
#include "setup/InstallPack.h"

namespace {

using namespace setup;
using kestrin::Bytes;

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes compile(const std::string& source) {
  Bytes entry;
  std::string error;
  EXPECT_TRUE(kestrin::compileScript(source, "t.kes", &entry, &error)) << error;
  return entry;
}

std::string faultOf(const Bytes& entry) {
  const auto fault = kestrin::checkScript(entry);
  return fault ? kestrin::describe(*fault) : "sound";
}

Bytes tokens(std::initializer_list<Bytes> parts) { return cat(parts); }
Bytes number(std::int32_t v) {
  Bytes t;
  kestrin::tokenNumber(t, v);
  return t;
}
Bytes var(std::uint16_t index) {
  Bytes t;
  kestrin::tokenVariable(t, index);
  return t;
}
Bytes op(std::uint8_t code) {
  Bytes t;
  kestrin::tokenOperator(t, code);
  return t;
}
Bytes eval(const Bytes& t) { return kestrin::exprStatement(kOpEval, kestrin::expression(t)); }
// MKDIR "X": 7 bytes.
const Bytes kMkdir = kestrin::exprStatement(kOpMkdir, kestrin::stringExpr("X"));

// Every statement and element the language has, compiled.
const char kEverything[] = R"(
number a, pic
string s, t
s = "x" + 3
a = !(a < 2) || (a >= 3 && a <= 2) + a * 2 / 3 - -a
if a == 2 { logtext "y" } else { abort }
while a > 0 { a = a - 1 }
mkdir s; rmdir s; run s; backup s
driveinfo StartDir + MoveLog
copy @a, s; copy nolog @a, s; copy kind 7 @a, s; scopy @a, s
setreg HKCR "k", "n", 1; setreg HKU "k", "n", "v"
shortcut "a", "b", "c", ""
uninstallreg "app", s
loadentry pic, @pic.bmp
loadentry t, @readme
background gradient(0, 0, 128, 0, 0, 0), title("T", bold | times, 5, 255, 255, 255), footer("F", 0, 2, 1, 1, 1)
dialog message(question, "c", "t", yesno, a)
dialog info(pic, "c", entry(t), yesno, a)
dialog path(nopicture, "c", "text", okcancel, s)
dialog progress(show, "c", "t", 100)
ifnot a goto end
goto end
end:
)";

TEST(ScriptCheck, WhatTheCompilerMakesIsSound) {
  kestrin::ScriptSummary summary;
  const Bytes entry = compile(kEverything);
  EXPECT_EQ(kestrin::checkScript(entry, &summary), std::nullopt) << faultOf(entry);
  EXPECT_EQ(summary.variables, 4u);
  EXPECT_EQ(summary.statements, 31u);
  EXPECT_EQ(summary.codeBytes, entry.size() - 2 - 2 * 4);

  // The limits themselves: 256 values on the stack, a system variable's
  // index with a low byte (which the installer ignores), a jump to the end.
  Bytes deep;
  for (int i = 0; i < 256; ++i) deep = cat({deep, number(i)});
  EXPECT_EQ(faultOf(kestrin::scriptEntry({}, eval(deep))), "sound");
  EXPECT_EQ(faultOf(kestrin::scriptEntry({}, eval(var(0x0305)))), "sound");
  EXPECT_EQ(faultOf(kestrin::scriptEntry({}, cat({kMkdir, kestrin::gotoStatement(10)}))), "sound");
  EXPECT_EQ(faultOf(kestrin::scriptEntry({}, {})), "sound");
}

TEST(ScriptCheck, NamesTheFirstFaultAndWhereItIs) {
  Bytes tooDeep;
  for (int i = 0; i < 257; ++i) tooDeep = cat({tooDeep, number(i)});
  // COPY whose count leaves out the end of its second operand.
  Bytes shortCopy = kestrin::bodyStatement(kOpCopy, cat({{kCopyLogged}, kestrin::stringExpr("a"), kestrin::stringExpr("b")}));
  shortCopy[1] -= 2;
  const auto element = [](const Bytes& b) { return kestrin::element(b); };
  const Bytes caption = element(kestrin::stringExpr("c"));
  const struct {
    const char* what;
    std::vector<std::uint8_t> types;
    Bytes code;
    const char* fault;
  } cases[] = {
      {"jump into a statement", {}, cat({kMkdir, kestrin::gotoStatement(2)}),
       "pc 7 (goto): jump target 2 is inside the statement at 0 (mkdir)"},
      {"jump past the end", {}, cat({kMkdir, kestrin::ifNotStatement(19, kestrin::numberExpr(0))}),
       "pc 7 (ifnot): jump target 19 is past the end of the code (18 bytes)"},
      {"unknown opcode", {}, cat({kMkdir, {0x84, 0x00, 0x00}}), "pc 7: opcode 0x84 is not a statement"},
      {"script variable past n", {0, 1}, eval(var(2)),
       "pc 0 (eval): variable index 2 at byte 3 names neither one of the 2 script variables nor a system variable"},
      {"system variable past the table", {0, 1}, eval(var(13 * 256)),
       "pc 0 (eval): variable index 3328 at byte 3 names neither one of the 2 script variables nor a system variable"},
      {"expression deeper than the stack", {}, eval(tooDeep),
       "pc 0 (eval): the expression at byte 1 needs more than the 256 entries of the value stack"},
      {"operand past its statement", {}, shortCopy,
       "pc 0 (copy): the expression at byte 10 counts 4 bytes of tokens, but only 2 follow it"},
      {"count past the end of the code", {}, {kOpMkdir, 0x20, 0x00, kTokenString, 0x01, 0x00, 'X'},
       "pc 0 (mkdir): its count of 32 bytes runs past the end of the code (4 bytes left)"},
      {"statement cut by the end of the code", {}, cat({kMkdir, {kOpGoto, 0x00}}),
       "pc 7 (goto): the statement runs past the end of the code"},
      {"operator without its operands", {}, eval(tokens({number(1), op(kOpAdd)})),
       "pc 0 (eval): the operator at byte 9 lacks an operand"},
      {"assignment to a system variable", {}, eval(tokens({var(kFirstSystemIndex), number(5), op(kOpAssign)})),
       "pc 0 (eval): the assignment at byte 13 has no script variable on its left"},
      {"unknown operator", {}, eval(tokens({number(1), number(2), op(27)})),
       "pc 0 (eval): operator code 27 at byte 15 is not an operator"},
      {"unknown token", {}, eval({0xFA, 0x00, 0x00}), "pc 0 (eval): token code 0xFA at byte 3 is not a token"},
      {"token cut by its count", {}, eval({kTokenNumber, 0x00, 0x01}),
       "pc 0 (eval): the token at byte 3 runs past the end of its expression"},
      {"empty expression", {}, {kOpEval, 0x00, 0x00}, "pc 0 (eval): the expression at byte 1 leaves no value"},
      {"bytes after the last operand", {}, kestrin::bodyStatement(kOpUninstallReg, cat({kestrin::stringExpr("a"), kestrin::stringExpr("b"), {0}})),
       "pc 0 (uninstallreg): the statement has 1 byte after its last operand, at byte 15"},
      {"registry root out of range", {}, kestrin::bodyStatement(kOpSetReg, {4}), "pc 0 (setreg): root byte 4 names no registry root"},
      {"loadentry into a system variable", {0}, kestrin::loadEntryStatement(kFirstSystemIndex, kestrin::stringExpr("@x")),
       "pc 0 (loadentry): the variable at byte 6 is variable index 256, not one of the 1 script variables"},
      {"unknown background item", {}, kestrin::bodyStatement(kOpBackground, {0, 0, 1}),
       "pc 0 (background): background item kind 1 at byte 3 is not an item"},
      {"background element missing", {}, kestrin::bodyStatement(kOpBackground, cat({{0, 0, kItemGradient}, element(kestrin::numberExpr(1))})),
       "pc 0 (background): the colour element at byte 16 is missing"},
      {"background element past its statement", {},
       kestrin::bodyStatement(kOpBackground, cat({{0, 0, kItemTitle}, {9, 0, 1}})),
       "pc 0 (background): the text element at byte 6 of 9 bytes runs past the end of its statement"},
      {"unknown dialog kind", {}, kestrin::bodyStatement(kOpDialog, {7}), "pc 0 (dialog): dialog kind 7 is not a request"},
      {"dialog answer into a system variable", {0},
       kestrin::bodyStatement(kOpDialog, cat({{kDialogMessage}, element({kIconStop}), caption, caption, element({kButtonsYesNo}),
                                              element(kestrin::variableExpr(kFirstSystemIndex))})),
       "pc 0 (dialog): the result at byte 30 is variable index 256, not one of the 1 script variables"},
      {"dialog answer not a variable", {0},
       kestrin::bodyStatement(kOpDialog, cat({{kDialogMessage}, element({kIconStop}), caption, caption, element({kButtonsYesNo}),
                                              element(kestrin::numberExpr(0))})),
       "pc 0 (dialog): the result element at byte 28 is not one variable reference"},
      {"dialog picture past n", {0},
       kestrin::bodyStatement(kOpDialog, cat({{kDialogInfo}, element({0, 3, 0}), caption, caption, element({kButtonsYesNo}),
                                              element(kestrin::variableExpr(0))})),
       "pc 0 (dialog): the picture at byte 7 is variable index 3, not one of the 1 script variables"},
      {"dialog text from a variable past n", {0},
       kestrin::bodyStatement(kOpDialog, cat({{kDialogInput}, element({0, 0, 1}), caption, element({kTextFromVariable, 9, 0}),
                                              element({kButtonsYesNo}), element(kestrin::variableExpr(0))})),
       "pc 0 (dialog): variable index 9 at byte 20 names neither one of the 1 script variables nor a system variable"},
      {"dialog element missing", {}, kestrin::bodyStatement(kOpDialog, cat({{kDialogProgress}, element({kProgressShow}), caption})),
       "pc 0 (dialog): the text element at byte 15 is missing"},
      // A jump whose target lies past a broken statement cannot be judged:
      // the broken statement is the fault; one before it is judged first.
      {"broken statement after a far jump", {}, cat({kestrin::gotoStatement(100), {0x84}}),
       "pc 3: opcode 0x84 is not a statement"},
      {"bad jump before a broken statement", {}, cat({kestrin::gotoStatement(1), kMkdir, {0x84}}),
       "pc 0 (goto): jump target 1 is inside the statement at 0 (goto)"},
  };
  for (const auto& c : cases) EXPECT_EQ(faultOf(kestrin::scriptEntry(c.types, c.code)), c.fault) << c.what;

  EXPECT_EQ(faultOf({5, 0, 0, 0}), "header: the script is too short for the type words of its 5 variables");
  EXPECT_EQ(faultOf({5}), "header: the script is too short for its variable count");
  EXPECT_EQ(faultOf(kestrin::scriptEntry({}, Bytes(0x10000, kOpAbort))),
            "header: the code has 65536 bytes; positions past 65535 cannot be reached");
}

// Damaged scripts are read within their bytes (the address sanitizer
// watches), and most damage is caught.
TEST(ScriptCheck, DamagedScriptsAreReadWithinTheirBytes) {
  const Bytes sound = compile(kEverything);
  std::mt19937 rng(8);
  int faults = 0;
  for (int i = 0; i < 4000; ++i) {
    Bytes damaged = sound;
    for (int k = 0, n = 1 + static_cast<int>(rng() % 3); k < n; ++k)
      damaged[rng() % damaged.size()] = static_cast<std::uint8_t>(rng());
    if (rng() % 4 == 0) damaged.resize(rng() % damaged.size());
    // Only the copy's own bytes are readable.
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[std::max<std::size_t>(damaged.size(), 1)]);
    std::copy(damaged.begin(), damaged.end(), exact.get());
    if (kestrin::checkScript({exact.get(), damaged.size()})) ++faults;
  }
  EXPECT_GT(faults, 2000);
}

class PackCheck : public EngineTest {
 protected:
  static Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
  }
  void write(const std::vector<kestrin::PackInput>& inputs, std::uint64_t volumeSize = 0) {
    std::string error;
    ASSERT_TRUE(kestrin::writePack("p", inputs, volumeSize, nullptr, &error)) << error;
  }
  static void patch(const char* file, std::size_t at, std::uint8_t value) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(at));
    f.put(static_cast<char>(value));
  }
  static std::string faultOf() {
    const auto fault = kestrin::checkPack("p", true);
    return fault ? kestrin::describe(*fault) : "sound";
  }
  // The byte of record `r`'s name, or of its flags (byte 40).
  static std::size_t recordByte(std::size_t r, std::size_t b) { return kVolumeHeaderSize + kRecordSize * r + b; }
  const Bytes script = compile("copy @big, \"C:\\\\big\"\n");
};

TEST_F(PackCheck, ASoundPackPasses) {
  write({{"script", "", script, 0}, {"readme", "", pattern(10, 1), 0}, {"big", "", pattern(3000, 2), 0}}, 1024);
  kestrin::PackSummary summary;
  EXPECT_EQ(kestrin::checkPack("p", true, &summary), std::nullopt) << faultOf();
  EXPECT_EQ(summary.volumes, 4);
  EXPECT_EQ(summary.entries, 3u);
  EXPECT_EQ(summary.script.statements, 1u);
}

TEST_F(PackCheck, NamesTheFirstDamage) {
  const std::vector<kestrin::PackInput> split = {{"script", "", script, 0}, {"big", "", pattern(3000, 2), 0}};
  const std::size_t bigAt = kVolumeHeaderSize + 2 * kRecordSize + script.size();
  const struct {
    const char* what;
    std::function<void()> make;
    std::string fault;
  } cases[] = {
      {"hidden entry",
       [&] {
         write({{"script", "", script, 0}, {"read", "", {1}, 0}, {"zeadme", "", {2}, 0}});
         patch("p.i00", recordByte(2, 0), 'r');
       },
       "p.i00: entry \"readme\" (record 2): hidden by the earlier entry \"read\" (record 1): a record matches every "
       "name that begins with its own"},
      {"entry past its volume's end",
       [&] {
         write({{"script", "", script, 0}, {"data", "", pattern(100, 3), 0}});
         std::filesystem::resize_file("p.i00", bigAt + 90);
       },
       "p.i00: entry \"data\" (record 1): its 100 bytes at offset " + std::to_string(bigAt) +
           " reach past the end of the volume (" + std::to_string(bigAt + 90) + " bytes)"},
      {"missing script", [&] { write({{"other", "", {1}, 0}}); }, "p.i00 has no entry \"script\""},
      {"missing continuation volume",
       [&] {
         write(split, 1024);
         std::filesystem::remove("p.i01");
       },
       "p.i00: entry \"big\" (record 1): it goes on in p.i01, which is missing"},
      {"continuation volume without the entry",
       [&] {
         write(split, 1024);
         patch("p.i01", recordByte(0, 1), 'a');
       },
       "p.i00: entry \"big\" (record 1): it goes on in p.i01, which holds no continuation part of it"},
      {"volume never reached",
       [&] {
         write(split, 1024);
         patch("p.i00", recordByte(1, 40), 0);
       },
       "p.i01 is never opened by the installer: no entry of p.i00 goes on in it"},
      {"continuation of nothing",
       [&] {
         write(split, 1024);
         patch("p.i00", recordByte(1, 40), kFlagContinued | kFlagContinuation);
       },
       "p.i00: entry \"big\" (record 1): a continuation part in the first volume continues nothing"},
      {"volume that is no pack",
       [&] {
         write(split, 1024);
         patch("p.i02", 0, 'X');
       },
       "p.i02 is not a pack volume (wrong signature, or a directory past its end)"},
      {"damaged script",
       [&] { write({{"script", "", kestrin::scriptEntry({}, cat({kMkdir, kestrin::gotoStatement(2)})), 0}}); },
       "p.i00: entry \"script\" (record 0): pc 7 (goto): jump target 2 is inside the statement at 0 (mkdir)"},
  };
  for (const auto& c : cases) {
    for (const char* v : {"p.i00", "p.i01", "p.i02", "p.i03"}) std::filesystem::remove(v);
    c.make();
    EXPECT_EQ(faultOf(), c.fault) << c.what;
  }
}

// The installer opens the next volume only to go on with a split entry, so
// an entry that ends a volume exactly must still lead into the next one.
TEST_F(PackCheck, TheWriterLeadsIntoEveryVolumeWhateverTheVolumeSize) {
  const std::vector<kestrin::PackInput> inputs = {{"script", "", script, 0},
                                                  {"a", "", pattern(300, 1), 0},
                                                  {"empty", "", {}, 0},
                                                  {"b", "", pattern(150, 2), 0},
                                                  {"c", "", pattern(100, 3), 0}};
  const std::uint64_t smallest = kVolumeHeaderSize + 2 * kRecordSize + script.size();
  for (std::uint64_t size = smallest; size < smallest + 350; ++size) {
    write(inputs, size);
    ASSERT_EQ(faultOf(), "sound") << "volume size " << size;
    // Copied in pack order, as a script does, every entry comes out whole.
    theVolumeChain().start("p");
    std::unique_ptr<InstallPack> current = InstallPack::open("p.i00");
    for (std::size_t i = 1; i < inputs.size(); ++i) {
      ASSERT_TRUE(copyEntry(current, inputs[i].name, "out")) << inputs[i].name << " at volume size " << size;
      ASSERT_EQ(readFile("out"), std::string(inputs[i].bytes.begin(), inputs[i].bytes.end())) << size;
    }
    current.reset();  // Windows cannot delete the volume still open
    for (int v = 0; v < 100 && std::filesystem::remove(kestrin::volumePath("p", v));) ++v;
  }
}

}  // namespace
