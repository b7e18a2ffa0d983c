#pragma once
// Reading a dialog template as a module stores it, for the tests that check
// dialogs control by control.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

// A dialog template as stored (the classic DLGTEMPLATE layout).
struct TemplateItem {
  WORD id;
  std::string kind, text;
  short x, y, cx, cy;
  DWORD style;
  bool operator==(const TemplateItem&) const = default;
};
struct DialogTemplate {
  DWORD style = 0;
  short cx = 0, cy = 0;
  std::string title, face;
  WORD points = 0;
  std::vector<TemplateItem> items;
};

inline std::ostream& operator<<(std::ostream& out, const TemplateItem& i) {
  return out << i.id << " " << i.kind << " \"" << i.text << "\" " << i.x << "," << i.y << "," << i.cx << "," << i.cy
             << " style " << std::hex << i.style << std::dec;
}

inline DialogTemplate readTemplate(HMODULE module, int id, WORD language) {
  DialogTemplate d;
  HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), language);
  if (!found) return d;
  const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  const BYTE* p = base;
  auto word = [&] {
    WORD w;
    std::memcpy(&w, p, 2);
    p += 2;
    return w;
  };
  auto dword = [&] { return DWORD(word()) | DWORD(word()) << 16; };
  auto text = [&] {  // a string, or an ordinal as "#n"
    std::string t;
    WORD c = word();
    if (c == 0xFFFF) return "#" + std::to_string(word());
    for (; c; c = word()) t += char(c);
    return t;
  };
  d.style = dword();
  dword();  // extended style
  const WORD count = word();
  word(), word();
  d.cx = short(word());
  d.cy = short(word());
  text();  // menu
  text();  // class
  d.title = text();
  if (d.style & DS_SETFONT) {
    d.points = word();
    d.face = text();
  }
  for (WORD k = 0; k < count; ++k) {
    p = base + ((p - base + 3) & ~3);
    TemplateItem item;
    item.style = dword();
    dword();
    item.x = short(word());
    item.y = short(word());
    item.cx = short(word());
    item.cy = short(word());
    item.id = word();
    item.kind = text();
    for (char& c : item.kind) c = char(std::toupper(static_cast<unsigned char>(c)));  // class names ignore case
    const std::pair<const char*, const char*> atoms[] = {{"#128", "BUTTON"}, {"#129", "EDIT"}, {"#130", "STATIC"}};
    for (auto [atom, name] : atoms)
      if (item.kind == atom) item.kind = name;
    item.text = text();
    p += word();  // creation data, none here
    d.items.push_back(item);
  }
  return d;
}

