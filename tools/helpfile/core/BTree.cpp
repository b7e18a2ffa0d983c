#include "BTree.h"

#include "HelpFormat.h"

namespace helpfile {

bool buildSinglePageBTree(const BTreeSpec& spec, const std::vector<Bytes>& entries, Bytes* out) {
  std::size_t used = kBTreeLeafHeaderSize;
  for (const Bytes& e : entries) used += e.size();
  if (used > spec.pageSize || spec.structure.size() > 15 || entries.size() > 0x7FFF) return false;

  Bytes& b = *out;
  b.clear();
  put16(b, kBTreeMagic);
  put16(b, spec.flags);
  put16(b, spec.pageSize);
  std::string structure = spec.structure;
  structure.resize(16, '\0');
  putText(b, structure);
  put16(b, 0);        // must be zero
  put16(b, 0);        // page splits
  put16(b, 0);        // root page
  put16(b, kNoPage);  // must be -1
  put16(b, 1);        // total pages
  put16(b, 1);        // levels: the root is the leaf
  put32(b, static_cast<std::uint32_t>(entries.size()));

  const std::size_t page = b.size();
  put16(b, static_cast<std::uint16_t>(spec.pageSize - used));  // free bytes
  put16(b, static_cast<std::uint16_t>(entries.size()));
  put16(b, kNoPage);  // previous leaf
  put16(b, kNoPage);  // next leaf
  for (const Bytes& e : entries) putBytes(b, e);
  b.resize(page + spec.pageSize, 0);
  return true;
}

}  // namespace helpfile
