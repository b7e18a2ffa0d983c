#pragma once
// |CONTEXT: a B+ tree from context hashes to the topics' TOPICOFFSETs.
// The viewer needs it even for a file without jumps.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"

namespace helpfile {

struct ContextEntry {
  std::uint32_t hash;
  std::uint32_t topicOffset;
};

// False with a message when two names share a hash or the map is too big.
bool buildContextFile(std::vector<ContextEntry> entries, Bytes* out, std::string* error);

}  // namespace helpfile
