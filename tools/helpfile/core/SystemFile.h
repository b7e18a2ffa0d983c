#pragma once
// |SYSTEM: the format version, the help title, where the contents topic
// is, and macros run when the file opens.
#include <cstdint>
#include <string>
#include <vector>

#include "Bytes.h"

namespace helpfile {

struct SystemInfo {
  std::string title;                 // Windows-1252
  std::uint32_t contentsOffset = 0;  // TOPICOFFSET of the contents topic
  std::vector<std::string> macros;
};

Bytes buildSystemFile(const SystemInfo& info);

}  // namespace helpfile
