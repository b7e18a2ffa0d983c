#pragma once
// Drives real Windows programs as a person would: a program started with a
// command line in a folder of its own, its windows found by process, class
// and title, buttons pressed and entries typed into with messages, the
// screen read back.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

inline std::string programDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// A visible top-level window of the process (0: of any process) with that
// class and title.
inline HWND findWindow(DWORD process, const char* className, const char* title) {
  struct Search {
    DWORD process;
    const char *className, *title;
    HWND found;
  } search{process, className, title, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        char cls[64] = {}, text[256] = {};
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if ((s->process == 0 || owner == s->process) && IsWindowVisible(w) && std::string(cls) == s->className &&
            std::string(text) == s->title) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One run of a program; ended by force if a test leaves it running.
class Program {
 public:
  // `commandLine` as CreateProcess takes it; `dir` the current directory
  // (empty: this process's).
  Program(std::string commandLine, const std::string& dir) {
    STARTUPINFOA start{};
    start.cb = sizeof start;
    started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              dir.empty() ? nullptr : dir.c_str(), &start, &process_) != 0;
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  bool started() const { return started_; }
  DWORD id() const { return process_.dwProcessId; }
  HANDLE handle() const { return process_.hProcess; }
  // The exit code, or -1 when it still runs after `ms`.
  long waitExit(DWORD ms = 20000) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }
  bool running() { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  HWND find(const char* className, const char* title) const { return findWindow(process_.dwProcessId, className, title); }
  // Waits up to `ms` for a dialog (or message box) with this title.
  HWND waitDialog(const char* title, DWORD ms = 20000) { return waitWindow("#32770", title, ms); }
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

// Waits up to `ms` for a window of any process.
inline HWND waitAnyWindow(const char* className, const char* title, DWORD ms = 20000) {
  for (DWORD waited = 0; waited < ms; waited += 20) {
    if (HWND w = findWindow(0, className, title)) return w;
    Sleep(20);
  }
  return nullptr;
}

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

// A rectangle of the screen, top row first, as 0x00RRGGBB colours (the
// layout of a bitmap file's colour table).
inline std::vector<std::uint32_t> captureScreen(int x, int y, int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(first, first + std::size_t(width) * std::size_t(height));
  for (auto& p : pixels) p &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace driver
