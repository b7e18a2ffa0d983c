#pragma once
// Reads what the system's help viewer shows: the text of the rich edit
// control that its window holds.
#include <windows.h>

#include <cctype>
#include <string>

namespace helpview {

inline std::string className(HWND w) {
  char name[128] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

inline HWND findRichEdit(HWND parent) {
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

// A window's whole text, asked for across processes.
inline std::string windowText(HWND w) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &got))
    return {};
  text.resize(got);
  return text;
}

// The text the viewer window shows, or "" while it shows none.
inline std::string shownText(HWND viewer) {
  const HWND view = findRichEdit(viewer);
  return view ? windowText(view) : std::string();
}

}  // namespace helpview
