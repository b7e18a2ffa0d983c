#pragma once
// Drives the real setup.exe as a person would: packs made with kestrin's
// core in a folder of their own, the program started there, its windows
// found by process, title and class, buttons pressed and entries typed
// into with messages, and the uninstall log read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Compiler.h"
#include "PackWriter.h"

namespace driver {

inline constexpr char kHeader[] = ";Uninstall Log (created by Kestrin 98)\n;----------------------------------------------\n";

inline std::string programDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// A fresh, empty folder C:\setup-tests\<name>.
inline std::string freshDir(const std::string& name) {
  const std::string dir = "C:\\setup-tests\\" + name;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir);
  return dir;
}

// SETUP.i00 in `dir` holding the compiled script and the further entries.
inline void pack(const std::string& dir, const std::string& source, std::vector<kestrin::PackInput> more = {}) {
  kestrin::Bytes script;
  std::string error;
  ASSERT_TRUE(kestrin::compileScript(source, "test.kes", &script, &error)) << error;
  std::vector<kestrin::PackInput> inputs;
  inputs.push_back({"script", "", script, 0});
  for (auto& m : more) inputs.push_back(std::move(m));
  ASSERT_TRUE(kestrin::writePack(dir + "\\SETUP", inputs, 0, nullptr, &error)) << error;
}

inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The log's records, one per line, after the two header lines.
inline std::vector<std::string> records(const std::string& dir) {
  const std::string log = fileText(dir + "\\SETUP.log");
  std::vector<std::string> lines;
  if (log.rfind(kHeader, 0) != 0) return lines;
  std::size_t at = sizeof kHeader - 1;
  while (at < log.size()) {
    std::size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    lines.push_back(log.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

inline int countOf(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const auto& l : lines) n += l == line;
  return n;
}

// One run of setup.exe; ended by force if a test leaves it running.
class Installer {
 public:
  Installer(const std::string& dir, const std::string& arguments = "") {
    std::string command = "\"" + programDir() + "setup.exe\"";
    if (!arguments.empty()) command += " " + arguments;
    STARTUPINFOA start{};
    start.cb = sizeof start;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &start,
                              &process_) != 0;
  }
  ~Installer() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  bool started() const { return started_; }
  DWORD id() const { return process_.dwProcessId; }
  // The exit code, or -1 when it still runs after `ms`.
  long waitExit(DWORD ms = 20000) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }
  bool running() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  // A visible top-level window of this run with that class and title.
  HWND find(const char* className, const char* title) const {
    struct Search {
      DWORD process;
      const char *className, *title;
      HWND found;
    } search{process_.dwProcessId, className, title, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          char cls[64] = {}, text[256] = {};
          GetClassNameA(w, cls, sizeof cls);
          GetWindowTextA(w, text, sizeof text);
          if (owner == s->process && IsWindowVisible(w) && std::string(cls) == s->className &&
              std::string(text) == s->title) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // Waits up to `ms` for a dialog (or message box) with this title.
  HWND waitDialog(const char* title, DWORD ms = 20000) {
    return waitWindow("#32770", title, ms);
  }
  HWND waitWindow(const char* className, const char* title, DWORD ms = 20000) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
      if (HWND w = find(className, title)) return w;
      if (!running()) return nullptr;
      Sleep(20);
    }
    return nullptr;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

inline std::string textOf(HWND window) {
  char buffer[20000] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &n);
  return buffer;
}
inline std::string itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }
// The static text of a message box.
inline std::string boxText(HWND box) { return itemText(box, 0xFFFF); }

// Presses a button of a dialog or message box.
inline void press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Replaces an entry's text by typing it, character by character.
inline void type(HWND dialog, int id, const std::string& text) {
  HWND edit = GetDlgItem(dialog, id);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CHAR, VK_BACK, 0);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}

// A pixel of the screen as 0x00BBGGRR.
inline COLORREF screenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

// A point of a window's client area on the screen.
inline POINT onScreen(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

// Waits up to `ms` for a client pixel of the window to have the colour.
inline bool waitForPixel(HWND window, int x, int y, COLORREF colour, DWORD ms = 5000) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    const POINT p = onScreen(window, x, y);
    if (screenPixel(p.x, p.y) == colour) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace driver
