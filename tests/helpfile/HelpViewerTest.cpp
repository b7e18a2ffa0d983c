// The system's help viewer opens what we write, the way the applet's Help
// button asks for it: WinHelpA with HELP_CONTENTS. Its window must carry
// the help title and its text view must hold the contents topic, however
// many topic blocks the text takes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "HelpFileWriter.h"
#include "HelpText.h"

namespace {

bool haveDisplay() {
  char value[256];
  return GetEnvironmentVariableA("DISPLAY", value, sizeof value) > 0;
}

std::string tempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

std::string className(HWND w) {
  char name[128] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

// The top-level windows, for a failure's message.
std::string topLevelWindows() {
  std::string list;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        char title[256] = {};
        GetWindowTextA(w, title, sizeof title);
        *reinterpret_cast<std::string*>(p) += "  " + className(w) + " \"" + title + "\"" + (IsWindowVisible(w) ? " visible\n" : "\n");
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&list));
  return list;
}

HWND findRichEdit(HWND parent) {
  HWND found = nullptr;
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        std::string name = className(w);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.find("richedit") == std::string::npos) return TRUE;
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string windowText(HWND w) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &got))
    return {};
  text.resize(got);
  return text;
}

class HelpViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    owner_ = CreateWindowA("STATIC", "help owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    if (!path_.empty()) {
      WinHelpA(owner_, path_.c_str(), HELP_QUIT, 0);
      for (int i = 0; i < 100 && FindWindowA("MS_WINHELP", nullptr); ++i) Sleep(100);
      DeleteFileA(path_.c_str());
    }
    if (owner_) DestroyWindow(owner_);
  }

  // Writes the help source as a help file for the viewer to open.
  void write(const std::string& source, const char* file) {
    helpfile::HelpDocument doc;
    helpfile::TextError textError;
    ASSERT_TRUE(helpfile::parseHelpText(source, &doc, &textError)) << textError.message;
    helpfile::Bytes bytes;
    std::string error;
    ASSERT_TRUE(helpfile::writeHelpFile(doc, &bytes, &error)) << error;
    path_ = tempPath(file);
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // The viewer's main window (the first one `find` accepts), once its text
  // view holds every one of `texts`; what it holds otherwise.
  template <typename Find>
  std::string waitForText(Find find, const std::vector<std::string>& texts, HWND* window) {
    std::string shown;
    for (int i = 0; i < 300; ++i, Sleep(100)) {
      *window = find();
      if (!*window) continue;
      const HWND view = findRichEdit(*window);
      if (!view) continue;
      shown = windowText(view);
      bool all = true;
      for (const auto& t : texts) all = all && shown.find(t) != std::string::npos;
      if (all) return shown;
    }
    return shown;
  }

  static HWND viewerWindow() { return FindWindowA("MS_WINHELP", nullptr); }

  HWND owner_ = nullptr;
  std::string path_;
};

const char kThreeTopics[] =
    "Velmora Test Help\n\nMakes a new wallpaper \xC3\xA0 la carte.\n\nSecond paragraph.\n\n"
    "# Width and height\nIn pixels.\n\n# Colours\nFrom 2 to 256.\n";

// What the applet's Help button does.
TEST_F(HelpViewer, HelpContentsShowsTheContentsTopic) {
  write(kThreeTopics, "velmora-viewer-test.hlp");
  ASSERT_TRUE(WinHelpA(owner_, path_.c_str(), HELP_CONTENTS, 0)) << "WinHelpA failed: " << GetLastError();
  HWND window = nullptr;
  const std::string shown = waitForText(
      viewerWindow,
      {"Velmora Test Help", "Makes a new wallpaper \xE0 la carte.", "Second paragraph.", "Width and height", "Colours"},
      &window);
  ASSERT_NE(window, nullptr) << "no help viewer window; there are:\n" << topLevelWindows();
  EXPECT_TRUE(IsWindowVisible(window));
  for (const char* text : {"Velmora Test Help", "Makes a new wallpaper \xE0 la carte.", "Second paragraph.", "Width and height", "Colours"})
    EXPECT_NE(shown.find(text), std::string::npos) << text << "\nthe viewer shows:\n" << shown;
  EXPECT_EQ(shown.find("In pixels."), std::string::npos) << "other topics' text is not in the contents";
}

TEST_F(HelpViewer, ContentsAcrossSeveralTopicBlocksShowsToItsEnd) {
  std::string source = "Long Help\n\n";
  for (int p = 0; p < 16; ++p) {
    source += "Paragraph " + std::to_string(p) + ":";
    for (int w = 0; w < 160; ++w) source += " word";
    source += " end of paragraph " + std::to_string(p) + ".\n\n";
  }
  ASSERT_GT(source.size(), 3 * 4096u) << "the text must take several blocks";
  write(source, "velmora-viewer-long.hlp");
  ASSERT_TRUE(WinHelpA(owner_, path_.c_str(), HELP_CONTENTS, 0)) << "WinHelpA failed: " << GetLastError();
  HWND window = nullptr;
  const std::string shown = waitForText(viewerWindow, {"end of paragraph 0.", "end of paragraph 15."}, &window);
  ASSERT_NE(window, nullptr) << "no help viewer window; there are:\n" << topLevelWindows();
  for (int p = 0; p < 16; ++p)
    EXPECT_NE(shown.find("end of paragraph " + std::to_string(p) + "."), std::string::npos) << p << "\n" << shown;
}

// Opened by name, the viewer titles its window with the help title. (Wine's
// viewer adds its own name and the path; one started by WinHelpA keeps the
// caption it had before any file.)
TEST_F(HelpViewer, OpenedByNameTheWindowCarriesTheHelpTitle) {
  write(kThreeTopics, "velmora-viewer-title.hlp");
  std::string command = "winhlp32.exe \"" + path_ + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << command << ": " << GetLastError();
  const auto titled = []() -> HWND {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          char title[256] = {};
          GetWindowTextA(w, title, sizeof title);
          if (className(w) != "MS_WINHELP" || std::string(title).rfind("Velmora Test Help", 0) != 0) return TRUE;
          *reinterpret_cast<HWND*>(p) = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  };
  HWND window = nullptr;
  const std::string shown = waitForText(titled, {"Second paragraph."}, &window);
  EXPECT_NE(window, nullptr) << "no window titled with the help title; there are:\n" << topLevelWindows();
  EXPECT_NE(shown.find("Second paragraph."), std::string::npos) << shown;
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
