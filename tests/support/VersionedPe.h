#pragma once
// A minimal PE file (one .rsrc section, no code) whose version resource
// holds the given file version, language and file type: the shared files
// of the installer's tests. Windows' version library and our own parser
// both read it.
#include <cstdint>
#include <string>
#include <vector>

namespace testpe {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void pad4(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}

// One node of the version tree: length, value length, type, UTF-16 key,
// padding, value, padding, children.
inline Bytes versionNode(const std::string& key, const Bytes& value, std::uint16_t valueLength, bool text,
                         const std::vector<Bytes>& children) {
  Bytes b(6, 0);
  for (char c : key) {
    b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(0);
  }
  b.push_back(0);
  b.push_back(0);
  pad4(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad4(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  put16(b, 0, static_cast<std::uint32_t>(b.size()));
  put16(b, 2, valueLength);
  put16(b, 4, text ? 1 : 0);
  return b;
}

inline Bytes utf16z(const std::string& s) {
  Bytes b;
  for (char c : s) {
    b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(0);
  }
  b.push_back(0);
  b.push_back(0);
  return b;
}

struct Version {
  std::uint16_t major = 1, minor = 0, build = 0, revision = 0;
  std::uint16_t language = 0x0816;  // Portuguese (Portugal)
  std::uint16_t codePage = 1252;
  std::uint32_t fileType = 2;       // VFT_DLL
  std::string filler;               // extra bytes in the section, to tell files apart
};

inline Bytes versionResource(const Version& v) {
  Bytes fixed(52, 0);
  put32(fixed, 0, 0xFEEF04BD);
  put32(fixed, 4, 0x00010000);
  put32(fixed, 8, std::uint32_t{v.major} << 16 | v.minor);
  put32(fixed, 12, std::uint32_t{v.build} << 16 | v.revision);
  put32(fixed, 16, std::uint32_t{v.major} << 16 | v.minor);
  put32(fixed, 20, std::uint32_t{v.build} << 16 | v.revision);
  put32(fixed, 24, 0x3F);
  put32(fixed, 32, 0x00040004);  // VOS_NT_WINDOWS32
  put32(fixed, 36, v.fileType);
  char table[9];
  static const char* hex = "0123456789ABCDEF";
  const std::uint32_t id = std::uint32_t{v.language} << 16 | v.codePage;
  for (int i = 0; i < 8; ++i) table[i] = hex[(id >> (28 - 4 * i)) & 15];
  table[8] = 0;
  const std::string text = std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) +
                           "." + std::to_string(v.revision);
  const Bytes fileVersion =
      versionNode("FileVersion", utf16z(text), static_cast<std::uint16_t>(text.size() + 1), true, {});
  const Bytes stringTable = versionNode(table, {}, 0, true, {fileVersion});
  const Bytes stringInfo = versionNode("StringFileInfo", {}, 0, true, {stringTable});
  Bytes translation(4, 0);
  put16(translation, 0, v.language);
  put16(translation, 2, v.codePage);
  const Bytes var = versionNode("Translation", translation, 4, false, {});
  const Bytes varInfo = versionNode("VarFileInfo", {}, 0, true, {var});
  return versionNode("VS_VERSION_INFO", fixed, 52, false, {stringInfo, varInfo});
}

// The whole file. `withVersion` false leaves the resource section empty of
// a version (a PE file without one).
inline Bytes image(const Version& v, bool withVersion = true) {
  constexpr std::uint32_t kSectionRva = 0x1000, kRawAt = 0x200;
  // The resource section: three directory levels, one data entry, the data.
  Bytes rsrc(0x58, 0);
  const std::uint32_t type = withVersion ? 16 : 6;  // RT_VERSION, or a string table
  put16(rsrc, 14, 1);
  put32(rsrc, 16, type);
  put32(rsrc, 20, 0x80000018);
  put16(rsrc, 0x18 + 14, 1);
  put32(rsrc, 0x18 + 16, 1);
  put32(rsrc, 0x18 + 20, 0x80000030);
  put16(rsrc, 0x30 + 14, 1);
  put32(rsrc, 0x30 + 16, v.language);
  put32(rsrc, 0x30 + 20, 0x48);
  const Bytes data = versionResource(v);
  put32(rsrc, 0x48, kSectionRva + 0x58);
  put32(rsrc, 0x48 + 4, static_cast<std::uint32_t>(data.size()));
  rsrc.insert(rsrc.end(), data.begin(), data.end());
  rsrc.insert(rsrc.end(), v.filler.begin(), v.filler.end());
  const auto rsrcSize = static_cast<std::uint32_t>(rsrc.size());
  while (rsrc.size() % 0x200) rsrc.push_back(0);

  Bytes b(kRawAt, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, 0x40);
  b[0x40] = 'P';
  b[0x41] = 'E';
  const std::size_t coff = 0x44, opt = coff + 20;
  put16(b, coff, 0x14C);  // i386
  put16(b, coff + 2, 1);
  put16(b, coff + 16, 224);
  put16(b, coff + 18, 0x2102);  // executable, 32-bit, DLL
  put16(b, opt, 0x10B);
  put32(b, opt + 8, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, opt + 20, kSectionRva);
  put32(b, opt + 24, kSectionRva);
  put32(b, opt + 28, 0x10000000);
  put32(b, opt + 32, 0x1000);
  put32(b, opt + 36, 0x200);
  put16(b, opt + 40, 4);
  put16(b, opt + 48, 4);
  put32(b, opt + 56, kSectionRva + ((rsrcSize + 0xFFF) & ~0xFFFu));
  put32(b, opt + 60, kRawAt);
  put16(b, opt + 68, 2);  // GUI
  put32(b, opt + 72, 0x100000);
  put32(b, opt + 76, 0x1000);
  put32(b, opt + 80, 0x100000);
  put32(b, opt + 84, 0x1000);
  put32(b, opt + 92, 16);
  put32(b, opt + 96 + 2 * 8, kSectionRva);
  put32(b, opt + 96 + 2 * 8 + 4, rsrcSize);
  const std::size_t section = opt + 224;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (int i = 0; i < 8; ++i) b[section + i] = static_cast<std::uint8_t>(name[i]);
  put32(b, section + 8, rsrcSize);
  put32(b, section + 12, kSectionRva);
  put32(b, section + 16, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, section + 20, kRawAt);
  put32(b, section + 36, 0x40000040);  // initialised data, readable
  b.resize(kRawAt + rsrc.size());
  for (std::size_t i = 0; i < rsrc.size(); ++i) b[kRawAt + i] = rsrc[i];
  return b;
}

}  // namespace testpe
