// The script language: what the compiler makes of it, its error messages,
// the round trip through the disassembler, and compiled scripts run by the
// engine.
#include <random>

#include "Compiler.h"
#include "EngineFixture.h"

namespace {

using namespace setup;
using kestrin::Bytes;

Bytes compile(const std::string& source) {
  Bytes entry;
  std::string error;
  EXPECT_TRUE(kestrin::compileScript(source, "t.kes", &entry, &error)) << error;
  return entry;
}

std::string compileError(const std::string& source) {
  Bytes entry;
  std::string error;
  EXPECT_FALSE(kestrin::compileScript(source, "t.kes", &entry, &error)) << source;
  return error;
}

Bytes roundTrip(const Bytes& entry) {
  std::string text, error;
  EXPECT_TRUE(kestrin::disassembleScript(entry, &text, &error)) << error;
  Bytes again;
  EXPECT_TRUE(kestrin::compileScript(text, "disasm", &again, &error)) << error << "\n" << text;
  return again;
}

// The full example of the language's documentation.
std::string documentedExample() {
#ifdef _WIN32
  const std::string doc = fileText(std::string("Z:") + VELMORA_SCRIPT_DOC);  // the Linux root under Wine
#else
  const std::string doc = fileText(VELMORA_SCRIPT_DOC);
#endif
  const std::string open = "```kestrin\n";
  const std::size_t at = doc.find(open);
  if (at == std::string::npos) return {};
  const std::size_t from = at + open.size();
  return doc.substr(from, doc.find("```", from) - from);
}

TEST(Compiler, MakesTheDocumentedBytes) {
  // The worked examples: an assignment of 5 to variable 3, and MKDIR "X:\Y".
  const Bytes e = compile("number a, b, c, d\nd = 5\nmkdir \"X:\\\\Y\"\n");
  const Bytes expect = {4,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0x82, 0x0D, 0x00, 0xFD,
                        0x00, 0x03, 0x00, 0xFE, 0x00, 0x05, 0x00, 0x00, 0x00, 0xFC, 0x00, 0x00, 0x89, 0x07,
                        0x00, 0xFB, 0x04, 0x00, 0x58, 0x3A, 0x5C, 0x59};
  EXPECT_EQ(e, expect);
  // Pack entries are strings marked with '@'; system variables by name.
  EXPECT_EQ(compile("logtext @readme.txt + SystemDir"),
            kestrin::scriptEntry({}, kestrin::exprStatement(0x86, [] {
                                   Bytes t;
                                   kestrin::tokenString(t, "@readme.txt");
                                   kestrin::tokenVariable(t, 0x0300);
                                   kestrin::tokenOperator(t, 18);
                                   return kestrin::expression(t);
                                 }())));
}

TEST(Compiler, ErrorsNameFileLineAndColumn) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {"number a\na = b\n", "t.kes:2:5: unknown variable \"b\""},
      {"frobnicate 3\n", "t.kes:1:1: unknown statement \"frobnicate\""},
      {"logtext \"open\n", "t.kes:1:9: string not closed on its line"},
      {"goto nowhere\n", "t.kes:1:6: no label \"nowhere\""},
      {"number a\nif a {\n  logtext 1\n", "t.kes:4:1: '}' missing"},
      {"logtext 1 2\n", "t.kes:1:11: expected the end of the statement"},
      {"StartDir = 3\n", "t.kes:1:1: system variables cannot be assigned"},
      {"logtext 5 $ 3\n", "t.kes:1:11: unexpected character '$'"},
      {"number a\nnumber a\n", "t.kes:2:8: \"a\" is already a variable"},
      {"logtext 99999999999\n", "t.kes:1:9: number out of range"},
      {"dialog message(loud, \"c\", \"t\", okcancel, 1)\n", "t.kes:1:16: expected an icon"},
  };
  for (const auto& c : cases) EXPECT_EQ(compileError(c.source), c.error) << c.source;
}

// The language page shows Velmora's own installation script, word for word.
TEST(Compiler, DocumentedExampleIsTheInstallScript) {
#ifdef _WIN32
  const std::string script = fileText(std::string("Z:") + VELMORA_INSTALL_SCRIPT);
#else
  const std::string script = fileText(VELMORA_INSTALL_SCRIPT);
#endif
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(documentedExample(), script) << "copy packaging/velmora.kes into docs/script-language.md";
}

TEST(Compiler, DocumentedExampleSurvivesTheRoundTrip) {
  const std::string example = documentedExample();
  ASSERT_FALSE(example.empty());
  const Bytes entry = compile(example);
  EXPECT_EQ(roundTrip(entry), entry);
}

TEST(Compiler, OddBytecodeSurvivesTheRoundTripAsRawBytes) {
  // Unknown opcodes, skipped operator codes, jumps into a statement.
  Bytes code = {0x84, 0x12};
  Bytes t;
  kestrin::tokenNumber(t, 1);
  kestrin::tokenOperator(t, 27);
  const Bytes odd = kestrin::exprStatement(0x82, kestrin::expression(t));
  code.insert(code.end(), odd.begin(), odd.end());
  const Bytes jump = kestrin::gotoStatement(1);
  code.insert(code.end(), jump.begin(), jump.end());
  const Bytes entry = kestrin::scriptEntry({0, 1}, code);
  EXPECT_EQ(roundTrip(entry), entry);
}

class CompiledScripts : public EngineTest {};

TEST_F(CompiledScripts, ControlFlowAndOperatorsRunAsWritten) {
  const Bytes entry = compile(R"(
number i, sum
string s
s = "a" + 12
while i < 5 {
  i = i + 1
  if i == 2 {
    goto skip
  } else if i == 4 {
    sum = sum + 100
  } else {
    sum = sum + i
  }
skip:
}
logtext s + " " + sum + " " + 7 / -2 + " " + (1 == 1) + ("x" == "y")
if !(StartDir == SourceDir) { logtext "different" }
)");
  std::vector<kestrin::PackInput> inputs{{"script", "", entry, 0}};
  std::string error;
  ASSERT_TRUE(kestrin::writePack("inst", inputs, 0, nullptr, &error)) << error;
  ASSERT_EQ(startEngine(), kStatusRunning);
  ASSERT_EQ(createLog(engineState().baseName), 1);
  runToEnd();
  // 1 + 3 + 100 + 5 = 109
    // A comparison keeps its left side's string: ("x" == "y") reads as "x".
  EXPECT_EQ(records(), "[a12 109 -3 1x]\n");
}

TEST_F(CompiledScripts, DialogRequestsCarryTheirElements) {
  const Bytes entry = compile(R"(
number answer
string text
loadentry text, @readme
dialog info(nopicture, "Hi", entry(text), yesno, answer)
dialog message(question, "Q", "Sure?", okcancel, answer)
)");
  std::string error;
  ASSERT_TRUE(kestrin::writePack("inst", {{"script", "", entry, 0}, {"readme", "", {'r', 'e'}, 0}}, 0, nullptr, &error));
  ASSERT_EQ(startEngine(), kStatusRunning);
  ASSERT_EQ(createLog(engineState().baseName), 1);
  std::vector<std::pair<int, Bytes>> requests;
  engineState().frontEnd.dialogRequest = [&](std::uint8_t kind, std::span<const std::uint8_t> ops) {
    requests.emplace_back(kind, Bytes(ops.begin(), ops.end()));
  };
  EXPECT_EQ(runToEnd(), (std::vector<std::int32_t>{kStatusDialog, kStatusDialog, kStatusEnded}));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].first, 1);
  const Bytes& info = requests[0].second;
  EXPECT_EQ(Bytes(info.begin(), info.begin() + 5), (Bytes{3, 0, 0, 0x00, 0x01}));  // picture: none (256)
  EXPECT_EQ(requests[1].first, 0);
  EXPECT_EQ(Bytes(requests[1].second.begin(), requests[1].second.begin() + 3), (Bytes{1, 0, '3'}));
  EXPECT_STREQ(scriptVariables()[1].string, "re");
  EXPECT_EQ(scriptVariables()[1].number, 2);
}

}  // namespace

namespace {

TEST(Compiler, AnyBytecodeSurvivesTheRoundTrip) {
  // Random scripts, mostly made of real statements with damaged operands.
  static const std::uint8_t alphabet[] = {0xFB, 0xFC, 0xFD, 0xFE, 0x00, 0x01, 0x02, 0x03, 0x05, 0x12, 0x18, 0x1C,
                                          0x80, 0x81, 0x82, 0x86, 0x87, 0x88, 0x8B, 0x93, 0x94, 0x95, 0x30, 0x40};
  std::mt19937 rng(3);
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::uint8_t> types(rng() % 4);
    for (auto& t : types) t = static_cast<std::uint8_t>(rng() % 2);
    Bytes code(rng() % 60);
    for (auto& c : code) c = rng() % 5 ? alphabet[rng() % std::size(alphabet)] : static_cast<std::uint8_t>(rng());
    const Bytes entry = kestrin::scriptEntry(types, code);
    ASSERT_EQ(roundTrip(entry), entry) << i;
  }
}

}  // namespace
