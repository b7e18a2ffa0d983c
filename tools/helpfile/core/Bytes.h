#pragma once
// Little-endian byte building for the help file's structures.
#include <cstdint>
#include <string_view>
#include <vector>

namespace helpfile {

using Bytes = std::vector<std::uint8_t>;

inline void put8(Bytes& b, std::uint8_t v) { b.push_back(v); }
inline void put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
  put16(b, static_cast<std::uint16_t>(v));
  put16(b, static_cast<std::uint16_t>(v >> 16));
}
inline void putBytes(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void putText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }
// A zero-terminated string.
inline void putString(Bytes& b, std::string_view s) {
  putText(b, s);
  b.push_back(0);
}
inline void set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace helpfile
