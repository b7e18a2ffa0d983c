#include "WallpaperCopies.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "velmora-";
constexpr std::string_view kSuffix = ".png";

// The number of a copy's file name, or none for any other file.
std::optional<std::uint64_t> copyNumber(const std::string& name) {
  if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
    return std::nullopt;
  }
  const std::string digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  if (digits.size() > 18 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return std::stoull(digits);
}

std::vector<std::pair<std::uint64_t, fs::path>> copiesIn(const fs::path& folder) {
  std::vector<std::pair<std::uint64_t, fs::path>> copies;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (const auto n = copyNumber(e.path().filename().string())) copies.emplace_back(*n, e.path());
  }
  std::sort(copies.begin(), copies.end());
  return copies;
}

}  // namespace

fs::path nextCopyPath(const fs::path& folder) {
  const auto copies = copiesIn(folder);
  const std::uint64_t next = copies.empty() ? 1 : copies.back().first + 1;
  return folder / (std::string(kPrefix) + std::to_string(next) + std::string(kSuffix));
}

void keepNewestCopies(const fs::path& folder, std::size_t keep) {
  const auto copies = copiesIn(folder);
  for (std::size_t i = 0; i + keep < copies.size(); ++i) {
    std::error_code ignored;
    fs::remove(copies[i].second, ignored);
  }
}

}  // namespace velmora
