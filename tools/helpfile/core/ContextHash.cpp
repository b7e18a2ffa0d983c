#include "ContextHash.h"

namespace helpfile {

std::uint32_t contextHash(std::string_view name) {
  std::uint32_t hash = 0;
  for (const char c : name) {
    std::uint32_t x = 0;
    if (c >= 'A' && c <= 'Z') x = static_cast<std::uint32_t>(c - 'A') + 17;
    if (c >= 'a' && c <= 'z') x = static_cast<std::uint32_t>(c - 'a') + 17;
    if (c >= '1' && c <= '9') x = static_cast<std::uint32_t>(c - '0');
    if (c == '0') x = 10;
    if (c == '.') x = 12;
    if (c == '_') x = 13;
    if (x != 0) hash = hash * 43 + x;  // wraps at 32 bits, as the viewer's does
  }
  return hash;
}

}  // namespace helpfile
