#include "ScratchRoot.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/HostRoot.h"

namespace fuzzing {
namespace {

namespace fs = std::filesystem;

void removeTree() {
  std::error_code ec;
  fs::remove_all(scratchRoot().parent_path(), ec);
}

void clearFolder(const fs::path& dir, const fs::path& keep) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.path() == keep) continue;
    fs::remove_all(entry.path(), ec);
  }
}

}  // namespace

const fs::path& scratchRoot() {
  static const fs::path root = [] {
    std::string pattern = (fs::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    const fs::path made = fs::path(pattern) / "root";
    fs::create_directories(made / "drive_c" / "windows" / "system32");
    fs::create_directories(made / "drive_c" / "setup");
    ::setenv("VELMORA_ROOT", made.c_str(), 1);
    platform::confineToHostRoot(true);
    fs::current_path(made / "drive_c" / "setup");
    return made;
  }();
  static const bool cleanup = (std::atexit(removeTree), true);
  (void)cleanup;
  return root;
}

fs::path startDirectory() { return scratchRoot() / "drive_c" / "setup"; }

void resetScratch() {
  const fs::path drive = scratchRoot() / "drive_c";
  clearFolder(startDirectory(), {});
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(drive, ec)) {
    if (entry.path().filename() == "setup") continue;
    if (entry.path().filename() == "windows") {
      clearFolder(entry.path(), entry.path() / "system32");
      clearFolder(entry.path() / "system32", {});
      continue;
    }
    fs::remove_all(entry.path(), ec);
  }
  // A script or a log may have removed the folders themselves.
  fs::create_directories(drive / "windows" / "system32", ec);
  fs::create_directories(startDirectory(), ec);
  fs::current_path(startDirectory(), ec);
  // Other drives and the registry go as well.
  for (const auto& entry : fs::directory_iterator(scratchRoot(), ec)) {
    if (entry.path().filename() == "drive_c") continue;
    if (entry.path().filename().string().rfind("registry.db", 0) == 0) continue;
    fs::remove_all(entry.path(), ec);
  }
}

void writeHostFile(const fs::path& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace fuzzing
