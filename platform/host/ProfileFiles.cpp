// Profile files on the Linux host: real INI text with CRLF line ends, read
// and written whole through the file service; a new file replaces the old
// one by a rename, so a reader never sees half of it. Sections and keys are
// found without regard to case (ASCII), and keep the spelling they were
// first written with.
#include "platform/ProfileFiles.h"

#include <strings.h>

#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemDirs.h"

namespace platform {
namespace {

constexpr std::uint64_t kLargestProfile = 16u << 20;

// A bare file name lives in the Windows directory.
std::string profilePath(std::string_view file) {
  if (file.find_first_of("\\/:") != std::string_view::npos) return std::string(file);
  return windowsDirectory() + "\\" + std::string(file);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::vector<std::string> linesOf(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::uint8_t c : bytes) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// "[name]" gives name; otherwise false.
bool sectionName(std::string_view line, std::string_view* name) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  *name = trim(line.substr(1, close - 1));
  return true;
}

// "key=value" gives key and value.
bool keyLine(std::string_view line, std::string_view* key, std::string_view* value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  *key = trim(line.substr(0, eq));
  *value = trim(line.substr(eq + 1));
  return true;
}

std::int32_t loadLines(const std::string& path, std::vector<std::string>* lines) {
  std::vector<std::uint8_t> bytes;
  const std::int32_t error = readFile(path, kLargestProfile, &bytes);
  if (error == kErrorFileNotFound) return kErrorSuccess;  // a new file
  if (error) return error;
  *lines = linesOf(bytes);
  return kErrorSuccess;
}

}  // namespace

std::int32_t writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                                std::string_view file) {
  const std::string path = profilePath(file);
  std::vector<std::string> lines;
  if (const std::int32_t error = loadLines(path, &lines)) return error;
  const std::string entry = std::string(key) + "=" + std::string(value);

  // Find the section, then the key inside it, or the place after its last
  // entry.
  std::size_t at = lines.size();
  bool inSection = false, done = false;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    std::string_view name, k, v;
    if (sectionName(lines[i], &name)) {
      if (inSection) {
        done = true;  // the section ended without the key
        break;
      }
      inSection = sameName(name, section);
      if (inSection) at = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (keyLine(lines[i], &k, &v) && sameName(k, key)) {
      lines[i] = std::string(k) + "=" + std::string(value);
      at = std::string::npos;
      done = true;
    } else if (!trim(lines[i]).empty()) {
      at = i + 1;
    }
  }
  if (at != std::string::npos) {
    if (inSection || done) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    } else {
      if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(entry);
    }
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return replaceFile(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::int32_t readProfileString(std::string_view section, std::string_view key, std::string_view file,
                               std::string* value) {
  value->clear();
  std::vector<std::uint8_t> bytes;
  if (const std::int32_t error = readFile(profilePath(file), kLargestProfile, &bytes)) return error;
  bool inSection = false;
  for (const std::string& line : linesOf(bytes)) {
    std::string_view name, k, v;
    if (sectionName(line, &name)) {
      inSection = sameName(name, section);
    } else if (inSection && keyLine(line, &k, &v) && sameName(k, key)) {
      *value = std::string(v);
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

}  // namespace platform
