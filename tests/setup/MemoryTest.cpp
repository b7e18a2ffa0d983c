// Memory of a run does not grow with the number of statements: strings made
// by computations and entries loaded again and again are freed once nothing
// refers to them, while every string a variable holds stays readable.
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <cstring>

#include "Compiler.h"
#include "EngineFixture.h"

namespace {

using namespace setup;

class BoundedMemory : public EngineTest {
 protected:
  // Compiles `source`, packs it with an entry "big" of 64 KiB, starts.
  void start(const std::string& source) {
    kestrin::Bytes entry;
    std::string error;
    ASSERT_TRUE(kestrin::compileScript(source, "t.kes", &entry, &error)) << error;
    std::vector<kestrin::PackInput> inputs = {{"script", "", entry, 0}, {"big", "", kestrin::Bytes(65536, 'b'), 0}};
    ASSERT_TRUE(kestrin::writePack("inst", inputs, 0, nullptr, &error)) << error;
    ASSERT_EQ(startEngine(), kStatusRunning);
    ASSERT_EQ(createLog(engineState().baseName), 1);
  }

  // Runs to the end; at every dialog request notes the made strings and
  // loaded entries alive. Returns the largest of each.
  std::pair<std::size_t, std::size_t> runNotingPeaks() {
    std::size_t strings = 0, entries = 0;
    Engine& e = engineState();
    do {
      e.runStatus = kStatusRunning;
      runLoop();
      strings = std::max(strings, madeStringCount());
      entries = std::max(entries, loadedEntryCount());
    } while (e.runStatus == kStatusDialog);
    return {strings, entries};
  }
};

// How many times the loops go round: VELMORA_LOOPS, or 200,000.
int loops() {
  const char* text = std::getenv("VELMORA_LOOPS");
  return text && *text ? std::atoi(text) : 200000;
}

TEST_F(BoundedMemory, AScriptThatLoopsMakingStringsKeepsFewOfThem) {
  const int n = loops();
  start("string s, kept, last\nnumber i, big\n"
        "kept = \"kept\" + 1\n"
        "while i < " + std::to_string(n) + " {\n"
        "  s = \"wallpaper \" + i + \" of \" + \"many\"\n"
        "  last = s\n"
        "  loadentry big, @big\n"
        "  if i - i / 10000 * 10000 == 0 { dialog progress(show, \"\", \"\", 0) }\n"
        "  i = i + 1\n"
        "}\n"
        "logtext kept + \"/\" + last + \"/\" + (65536 == big)\n");
  const auto [strings, entries] = runNotingPeaks();
  std::printf("%d loops: at most %zu made strings and %zu loaded entries alive\n", n, strings, entries);
#ifndef _WIN32
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("peak RSS %ld KiB\n", usage.ru_maxrss);
#endif
  // A few thousand strings at most, whatever the number of loops; without
  // reclaiming there would be five per loop.
  EXPECT_LT(strings, 4096u);
  EXPECT_LT(entries, 40u);
  // What variables hold is intact: the first string, the last one made, and
  // the last entry loaded (its size as the number).
  EXPECT_EQ(records(), "[kept1/wallpaper " + std::to_string(n - 1) + " of many/1]\n");
}

TEST_F(BoundedMemory, AStringAVariableGaveUpLivesWhileAnotherHoldsIt) {
  // A string a variable gave up is freed only when nothing else holds it,
  // however many strings are made and dropped meanwhile.
  start("string a, b\nnumber i\n"
        "a = \"first\"\nb = a\na = \"second\"\n"
        "while i < 3000 { i = i + 1; eval \"x\" + i }\n"
        "logtext a + b\n");
  runNotingPeaks();
  EXPECT_EQ(records(), "[secondfirst]\n");
}

TEST_F(BoundedMemory, ANewRunFreesThePreviousOne) {
  start("string s\ns = \"a\" + \"b\"\nloadentry s, @big\n");
  runNotingPeaks();
  EXPECT_GT(loadedEntryCount(), 1u);
  start("number n\n");
  EXPECT_EQ(madeStringCount(), 0u);
  EXPECT_EQ(loadedEntryCount(), 1u) << "only the new script";
}

}  // namespace

namespace {

TEST_F(BoundedMemory, AStringThatDoublesInALoopStopsAtItsLimit) {
  // Found by fuzzing: s = s + s forty times asked for a terabyte.
  start("string s\nnumber i\ns = \"ab\"\n"
        "while i < 40 { s = s + s; i = i + 1 }\n"
        "if s == \"\" { logtext \"empty\" }\n"
        "logtext \"done\"\n");
  runNotingPeaks();
  EXPECT_EQ(records(), "[done]\n");
  const Variable& s = scriptVariables()[0];
  ASSERT_NE(s.string, nullptr);
  EXPECT_EQ(std::strlen(s.string), kMaxStringBytes);
  EXPECT_EQ(std::string(s.string, 4), "abab");
}

}  // namespace

#ifndef _WIN32
namespace {

// Found by fuzzing: every start left the previous run's volume open, and
// after a thousand starts no file could be opened at all.
TEST_F(BoundedMemory, ANewRunClosesThePreviousVolume) {
  const auto openFiles = [] {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
  };
  start("number n\n");
  const std::size_t before = openFiles();
  for (int i = 0; i < 50; ++i) ASSERT_EQ(startEngine(), kStatusRunning);
  EXPECT_EQ(openFiles(), before);
}

}  // namespace
#endif
