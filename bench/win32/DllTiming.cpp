// velmgen.dll timed as the log-on runner uses it: the settings in the
// registry, doit(1) through its ordinal, the file written each time. Prints
// the median of the runs per mode; run it under Wine with cmake/wine-run.
//   velmgen_dll_timing [WIDTH HEIGHT [RUNS]]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void store(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD width = argc > 2 ? static_cast<DWORD>(std::atoi(argv[1])) : 3840;
  const DWORD height = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 2160;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::printf("velmgen.dll, doit(1), %lu x %lu, 256 colours, median of %d runs\n", width, height, runs);
  for (DWORD mode = 0; mode <= 7; ++mode) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Velmora", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return 1;
    store(key, "size_x", width);
    store(key, "size_y", height);
    store(key, "colours", 256);
    store(key, "mode", mode);
    store(key, "startup", 1);
    RegCloseKey(key);
    HMODULE dll = LoadLibraryA("velmgen.dll");
    if (!dll) return 1;
    auto doit = reinterpret_cast<int (*)(int)>(reinterpret_cast<void*>(GetProcAddress(dll, MAKEINTRESOURCEA(1))));
    if (!doit || doit(1) != 1) return 1;  // warm-up
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      const int made = doit(1);
      QueryPerformanceCounter(&end);
      if (made != 1) return 1;
      ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    FreeLibrary(dll);
    std::sort(ms.begin(), ms.end());
    std::printf("mode %lu: %.1f ms\n", mode, ms[ms.size() / 2]);
  }
  return 0;
}
