#include "Container.h"

#include <algorithm>

#include "BTree.h"
#include "HelpFormat.h"

namespace helpfile {
namespace {

void putInternal(Bytes& b, const Bytes& content) {
  const auto used = static_cast<std::uint32_t>(content.size());
  put32(b, used + kInternalHeaderSize);  // reserved, this header included
  put32(b, used);
  put8(b, kInternalFlags);
  putBytes(b, content);
}

}  // namespace

bool buildContainer(std::vector<InternalFile> files, Bytes* out, std::string* error) {
  // The directory is searched with strcmp, so byte order it is.
  std::sort(files.begin(), files.end(), [](const InternalFile& a, const InternalFile& b) { return a.name < b.name; });
  Bytes& b = *out;
  b.assign(kFileHeaderSize, 0);
  std::vector<Bytes> entries;
  for (const InternalFile& f : files) {
    Bytes entry;
    putString(entry, f.name);
    put32(entry, static_cast<std::uint32_t>(b.size()));
    entries.push_back(std::move(entry));
    putInternal(b, f.bytes);
  }
  Bytes directory;
  if (!buildSinglePageBTree({kDirectoryFlags, kDirectoryPageSize, "z4"}, entries, &directory)) {
    *error = "too many internal files for the directory";
    return false;
  }
  const auto directoryAt = static_cast<std::uint32_t>(b.size());
  putInternal(b, directory);
  set32(b, 0, kFileMagic);
  set32(b, 4, directoryAt);
  set32(b, 8, kNone);  // no free blocks
  set32(b, 12, static_cast<std::uint32_t>(b.size()));
  return true;
}

}  // namespace helpfile
