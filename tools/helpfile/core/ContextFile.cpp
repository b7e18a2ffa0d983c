#include "ContextFile.h"

#include <algorithm>

#include "BTree.h"
#include "HelpFormat.h"

namespace helpfile {

bool buildContextFile(std::vector<ContextEntry> entries, Bytes* out, std::string* error) {
  // The viewer compares the hashes as signed numbers.
  std::sort(entries.begin(), entries.end(), [](const ContextEntry& a, const ContextEntry& b) {
    return static_cast<std::int32_t>(a.hash) < static_cast<std::int32_t>(b.hash);
  });
  std::vector<Bytes> leaves;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && entries[i].hash == entries[i - 1].hash) {
      *error = "two topic names have the same context hash";
      return false;
    }
    Bytes e;
    put32(e, entries[i].hash);
    put32(e, entries[i].topicOffset);
    leaves.push_back(std::move(e));
  }
  if (!buildSinglePageBTree({kBTreeFlags, kContextPageSize, "L4"}, leaves, out)) {
    *error = "too many topics for the context map";
    return false;
  }
  return true;
}

}  // namespace helpfile
