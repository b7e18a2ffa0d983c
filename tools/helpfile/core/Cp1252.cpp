#include "Cp1252.h"

#include <array>
#include <cstdint>

namespace helpfile {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one UTF-8 sequence at s[i]; 0 length when it is malformed.
std::size_t decode(std::string_view s, std::size_t i, char32_t* c) {
  const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t lead = b(i);
  std::size_t n;
  char32_t v;
  if (lead < 0x80) {
    *c = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    n = 2, v = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    n = 3, v = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    n = 4, v = lead & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    v = (v << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kMin[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *c = v;
  return n;
}

}  // namespace

bool isUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t c;
    const std::size_t n = decode(s, i, &c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

bool utf8ToCp1252(std::string_view s, std::string* out, std::size_t* badAt) {
  out->clear();
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    const std::size_t n = decode(s, i, &c);
    int byte = -1;
    if (n != 0) {
      if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<int>(c);
      } else {
        for (std::size_t k = 0; k < kHigh.size(); ++k)
          if (kHigh[k] != 0 && kHigh[k] == c) byte = static_cast<int>(0x80 + k);
      }
    }
    if (byte < 0) {
      if (badAt) *badAt = i;
      return false;
    }
    out->push_back(static_cast<char>(byte));
    i += n;
  }
  return true;
}

}  // namespace helpfile
