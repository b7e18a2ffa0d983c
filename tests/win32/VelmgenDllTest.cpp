// velmgen.dll and velmrun.exe as Windows loads and runs them, in the test
// run's private Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "velmgen/BmpFile.h"
#include "velmgen/ClockSeed.h"
#include "velmgen/WallGen.h"

namespace {

constexpr const char* kKey = "Control Panel\\Velmora";
constexpr const char* kFile = "c:\\windows\\velmora.bmp";

using DoitFn = int (*)(int);
using SetDefsFn = void (*)(int, int);
using LoadbmpFn = HBITMAP (*)(const char*);
using LastDibFn = BITMAPINFO* (*)();
using LastBitsFn = BYTE* (*)();

std::string programDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

template <typename Fn>
Fn byOrdinal(HMODULE dll, int ordinal) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))));
}

std::string fileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class VelmgenDll : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    DeleteFileA(kFile);
  }
  static void store(const char* name, DWORD value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
  }
  static bool stored(const char* name, DWORD* value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != 0) return false;
    DWORD type = 0, size = 4;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc == 0 && type == REG_DWORD && size == 4;
  }
  static DWORD runVelmrun() {
    std::string line = "\"" + programDir() + "velmrun.exe\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 999;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
  }
};

// The first word drawn after a reseed does not depend on earlier history.
std::int32_t firstDrawAfter(std::int32_t seed) {
  velmgen::RandTable t{};
  velmgen::randInit(t, velmgen::kInitialSeed, velmgen::kInitialModulus);
  velmgen::reseed(t, seed);
  return velmgen::nextRaw(t);
}

TEST_F(VelmgenDll, EveryExportHasItsOrdinalAndName) {
  HMODULE dll = LoadLibraryA("velmgen.dll");
  ASSERT_NE(dll, nullptr);
  const std::pair<int, const char*> exports[] = {{1, "doit"},    {3, "loadbmp"}, {4, "lastDIB"},  {5, "lastBITS"},
                                                 {6, "getDefs"}, {7, "setDefs"}, {8, "saveDefs"}, {13, "IsXYvalid"}};
  for (auto [ordinal, name] : exports) {
    FARPROC byNumber = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
    EXPECT_NE(byNumber, nullptr) << ordinal;
    EXPECT_EQ(byNumber, GetProcAddress(dll, name)) << name;
  }
  for (int unused : {2, 9, 12, 14}) EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(unused)), nullptr) << unused;
  FreeLibrary(dll);
}

TEST_F(VelmgenDll, ResourcesInPortuguese) {
  const WORD portugal = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
  ASSERT_EQ(portugal, 2070);
  HMODULE dll = LoadLibraryExA("velmgen.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(dll, nullptr);
  for (int id : {102, 105, 107, 109}) {
    HRSRC texture = FindResourceExA(dll, MAKEINTRESOURCEA(2) /* RT_BITMAP */, MAKEINTRESOURCEA(id), portugal);
    ASSERT_NE(texture, nullptr) << id;
    EXPECT_EQ(SizeofResource(dll, texture), 17448u) << id;
  }
  FreeLibrary(dll);
  HMODULE runner = LoadLibraryExA((programDir() + "velmrun.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(runner, nullptr);
  EXPECT_NE(FindResourceExA(runner, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, MAKEINTRESOURCEA(101), portugal),
            nullptr);
  FreeLibrary(runner);
}

TEST_F(VelmgenDll, LoadCreatesTheKeyAndUnloadSavesWithTheNextSeed) {
  const std::time_t before = std::time(nullptr);
  HMODULE dll = LoadLibraryA("velmgen.dll");
  ASSERT_NE(dll, nullptr);
  DWORD v = 0, seed = 0;
  ASSERT_TRUE(stored("size_x", &v));
  EXPECT_EQ(v, 64u);
  ASSERT_TRUE(stored("mode", &v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  ASSERT_TRUE(stored("seed", &seed));
  EXPECT_LE(seed, 32767u);
  bool fromClock = false;
  for (std::time_t t = before; t <= std::time(nullptr); ++t)
    fromClock = fromClock || velmgen::clockSeedAt(t) == int(seed);
  EXPECT_TRUE(fromClock);
  byOrdinal<SetDefsFn>(dll, 7)(0, 100);  // not saved before the unload
  FreeLibrary(dll);
  ASSERT_TRUE(stored("size_x", &v));
  EXPECT_EQ(v, 100u);
  ASSERT_TRUE(stored("seed", &v));
  EXPECT_EQ(static_cast<std::int32_t>(v), firstDrawAfter(static_cast<std::int32_t>(seed)));
}

TEST_F(VelmgenDll, VelmrunMakesAFreshWallpaperAndMovesTheSeed) {
  EXPECT_EQ(runVelmrun(), 0u);
  velmgen::Picture p;
  ASSERT_EQ(velmgen::readBmp(p, kFile), 1);
  EXPECT_EQ(p.palette.count, 256);
  EXPECT_TRUE(p.width == 64 || p.width == 128);
  DWORD seed = 0, startup = 0;
  ASSERT_TRUE(stored("seed", &seed));
  ASSERT_TRUE(stored("startup", &startup));
  EXPECT_EQ(startup, 1u);

  // Log-on flag off: the file stays, the seed still moves on.
  store("startup", 0);
  const std::string before = fileBytes(kFile);
  EXPECT_EQ(runVelmrun(), 0u);
  EXPECT_EQ(fileBytes(kFile), before);
  DWORD next = 0;
  ASSERT_TRUE(stored("seed", &next));
  EXPECT_NE(next, seed);
}

TEST_F(VelmgenDll, LoadbmpDescribesTheFile) {
  store("mode", 6);
  store("size_x", 50);
  store("size_y", 3);
  store("colours", 16);
  ASSERT_EQ(runVelmrun(), 0u);
  velmgen::Picture p;
  ASSERT_EQ(velmgen::readBmp(p, kFile), 1);

  HMODULE dll = LoadLibraryA("velmgen.dll");
  ASSERT_NE(dll, nullptr);
  EXPECT_EQ(byOrdinal<LastDibFn>(dll, 4)(), nullptr);
  EXPECT_EQ(byOrdinal<LastBitsFn>(dll, 5)(), nullptr);
  HBITMAP bitmap = byOrdinal<LoadbmpFn>(dll, 3)(kFile);
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION section{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), int(sizeof section));
  EXPECT_EQ(section.dsBm.bmWidth, 50);
  EXPECT_EQ(section.dsBm.bmHeight, 3);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 8);
  const BITMAPINFO* info = byOrdinal<LastDibFn>(dll, 4)();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->bmiHeader.biSize, 40u);
  EXPECT_EQ(info->bmiHeader.biWidth, 50);
  EXPECT_EQ(info->bmiHeader.biHeight, 3);
  EXPECT_EQ(info->bmiHeader.biBitCount, 8);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(info->bmiColors[k].rgbBlue, p.palette.entries[k][0] & 0xFF) << k;
    EXPECT_EQ(info->bmiColors[k].rgbRed, p.palette.entries[k][2] & 0xFF) << k;
  }
  EXPECT_EQ(info->bmiColors[16].rgbGreen, 0);
  const BYTE* bits = byOrdinal<LastBitsFn>(dll, 5)();
  ASSERT_EQ(bits, section.dsBm.bmBits);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(bits + 52 * y, &p.pixels[50 * y], 50), 0) << y;
  DeleteObject(bitmap);
  EXPECT_EQ(byOrdinal<LoadbmpFn>(dll, 3)("c:\\windows\\missing.bmp"), nullptr);
  EXPECT_EQ(byOrdinal<LastBitsFn>(dll, 5)(), nullptr);
  FreeLibrary(dll);
}

// The library under Windows gives the bytes the portable engine gives for
// the same seed history: load (clock seed, stored seed), doit(1) (clock seed,
// stored seed), then the mode's generator. The engine's bytes are checked
// against the Linux build's by the engine tests' digests.
TEST_F(VelmgenDll, SameSeedHistorySameFile) {
  for (std::int32_t mode : {0, 2, 4, 5, 7}) {
    store("mode", static_cast<DWORD>(mode));
    store("size_x", 97);
    store("size_y", 41);
    store("colours", 200);
    store("seed", 31337);
    const std::time_t before = std::time(nullptr);
    HMODULE dll = LoadLibraryA("velmgen.dll");
    ASSERT_NE(dll, nullptr);
    ASSERT_EQ(byOrdinal<DoitFn>(dll, 1)(1), 1);
    const std::time_t after = std::time(nullptr);
    FreeLibrary(dll);
    const std::string made = fileBytes(kFile);

    velmgen::DefsStore defs;
    defs.size_x = 97;
    defs.size_y = 41;
    defs.colours = 200;
    defs.max_colour = 199;
    bool matched = false;
    for (std::time_t c1 = before; c1 <= after && !matched; ++c1) {
      for (std::time_t c2 = c1; c2 <= after && !matched; ++c2) {
        velmgen::RandTable t{};
        velmgen::randInit(t, velmgen::kInitialSeed, velmgen::kInitialModulus);
        for (std::time_t clock : {c1, c2}) {
          velmgen::reseed(t, velmgen::clockSeedAt(clock));
          velmgen::reseed(t, 31337);
        }
        velmgen::WallGen gen;
        velmgen::makeWallpaper(gen, t, defs, mode, "c:\\windows\\expected.bmp");
        matched = fileBytes("c:\\windows\\expected.bmp") == made;
      }
    }
    EXPECT_TRUE(matched) << "mode " << mode;
  }
}

}  // namespace
