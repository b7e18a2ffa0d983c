#pragma once
// The state of a Wine prefix as the installation tests compare it: every
// file and folder of drive C: and every key and value under HKLM and HKCU
// "Software" and HKCU "Control Panel", one line each, so that two states differ line by line.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace prefix {

// Every file and folder below `dir` but the temporary folders; links (the
// user's folders that Wine points at the Linux home) are not followed.
inline void listTree(const std::string& dir, std::set<std::string>* out) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == ".." || lstrcmpiA(name.c_str(), "Temp") == 0) continue;
    const std::string path = dir + "\\" + name;
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out->insert(path + (folder ? "\\" : ""));
    if (folder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) listTree(path, out);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Every key and value (key|name=type:data) below a key, but for the class
// registrations (thousands of keys that no installation test touches).
inline void dumpKey(HKEY root, const std::string& where, const std::string& key, std::set<std::string>* out) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != 0) return;
  out->insert(where + key + "\\");
  char name[16384];
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueA(k, i, name, &nameSize, nullptr, &type, data.data(), &size) != 0) break;
    out->insert(where + key + "|" + name + "=" + std::to_string(type) + ":" +
                std::string(data.begin(), data.begin() + size));
  }
  std::vector<std::string> subKeys;
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != 0) break;
    subKeys.push_back(name);
  }
  RegCloseKey(k);
  for (const auto& s : subKeys)
    if (lstrcmpiA(s.c_str(), "Classes") != 0) dumpKey(root, where, key + "\\" + s, out);
}

inline std::set<std::string> state() {
  std::set<std::string> s;
  listTree("C:", &s);
  dumpKey(HKEY_LOCAL_MACHINE, "HKLM\\", "Software", &s);
  dumpKey(HKEY_CURRENT_USER, "HKCU\\", "Software", &s);
  dumpKey(HKEY_CURRENT_USER, "HKCU\\", "Control Panel", &s);
  return s;
}

// The lines of `a` that `b` lacks, in order.
inline std::vector<std::string> minus(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::vector<std::string> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

}  // namespace prefix
