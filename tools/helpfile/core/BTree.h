#pragma once
// A B+ tree of one leaf page, the shape of the help file's directory and
// its |CONTEXT map when they are small. Entries must already be in key
// order; each entry is its key and data bytes, laid end to end.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"

namespace helpfile {

struct BTreeSpec {
  std::uint16_t flags;
  std::uint16_t pageSize;
  std::string structure;  // the entry layout, e.g. "z4" (at most 15 characters)
};

// False when the entries do not fit in one page.
bool buildSinglePageBTree(const BTreeSpec& spec, const std::vector<Bytes>& entries, Bytes* out);

}  // namespace helpfile
