#pragma once
// The help file's internal file system: a header, the internal files each
// behind a 9-byte file header, and the directory, a B+ tree from names to
// file offsets.
#include <string>
#include <vector>

#include "Bytes.h"

namespace helpfile {

struct InternalFile {
  std::string name;  // e.g. "|SYSTEM"
  Bytes bytes;
};

// Lays the files out in name order. False with a message when the
// directory does not fit.
bool buildContainer(std::vector<InternalFile> files, Bytes* out, std::string* error);

}  // namespace helpfile
