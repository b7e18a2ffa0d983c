#include "platform/FileVersion.h"

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace platform {
namespace {

constexpr std::uint32_t kResourceDirectory = 2;  // data directory index
constexpr std::uint32_t kVersionType = 16;       // RT_VERSION
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
// Program files larger than this are not read for their version.
constexpr std::uint64_t kLargestImage = 256ull << 20;

// Bounds-checked little-endian reads over the file's bytes.
struct Bytes {
  std::span<const std::uint8_t> all;
  bool has(std::uint64_t at, std::uint64_t n) const { return at <= all.size() && n <= all.size() - at; }
  std::uint16_t u16(std::uint64_t at) const {
    return static_cast<std::uint16_t>(all[at] | all[at + 1] << 8);
  }
  std::uint32_t u32(std::uint64_t at) const {
    return static_cast<std::uint32_t>(all[at] | all[at + 1] << 8 | all[at + 2] << 16) |
           static_cast<std::uint32_t>(all[at + 3]) << 24;
  }
};

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

// The file offset of `rva`, or -1 when no section holds `size` bytes there.
std::int64_t fileOffsetOf(const std::vector<Section>& sections, std::uint32_t rva, std::uint32_t size) {
  for (const Section& s : sections) {
    const std::uint32_t span = s.virtualSize > s.rawSize ? s.rawSize : s.virtualSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress <= span && size <= span - (rva - s.virtualAddress))
      return std::int64_t{s.rawOffset} + (rva - s.virtualAddress);
  }
  return -1;
}

// The entry of a resource directory at `dir` (offsets from the resource
// section's start `base`): the one with `id`, or the first when id is 0.
// Returns its OffsetToData word, or 0 when there is none.
std::uint32_t directoryEntry(const Bytes& b, std::uint64_t base, std::uint64_t limit, std::uint32_t dir,
                             std::uint32_t id) {
  const std::uint64_t at = base + dir;
  if (dir >= limit || !b.has(at, 16)) return 0;
  const std::uint32_t count = std::uint32_t{b.u16(at + 12)} + b.u16(at + 14);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t e = at + 16 + std::uint64_t{i} * 8;
    if (!b.has(e, 8)) return 0;
    const std::uint32_t name = b.u32(e);
    if (id == 0 || (!(name & 0x80000000u) && name == id)) return b.u32(e + 4);
  }
  return 0;
}

// One node of the version tree: wLength, wValueLength, wType, a UTF-16 key,
// padding to 4, the value, padding, the children.
struct Node {
  std::uint64_t start = 0, end = 0;  // end: start + wLength
  std::uint64_t value = 0, valueBytes = 0;
  std::uint64_t children = 0;
  std::u16string key;
};

std::uint64_t align4(std::uint64_t v) { return (v + 3) & ~std::uint64_t{3}; }

bool readNode(const Bytes& b, std::uint64_t at, std::uint64_t limit, Node* node) {
  if (!b.has(at, 6) || at + 6 > limit) return false;
  const std::uint16_t length = b.u16(at);
  if (length < 6 || at + length > limit) return false;
  node->start = at;
  node->end = at + length;
  const std::uint16_t valueLength = b.u16(at + 2);
  const bool text = b.u16(at + 4) == 1;
  node->key.clear();
  std::uint64_t p = at + 6;
  for (;; p += 2) {
    if (p + 2 > node->end) return false;
    const std::uint16_t c = b.u16(p);
    if (c == 0) break;
    node->key.push_back(static_cast<char16_t>(c));
  }
  node->value = align4(p + 2);
  node->valueBytes = text ? std::uint64_t{valueLength} * 2 : valueLength;
  if (node->value > node->end) node->value = node->end;
  if (node->valueBytes > node->end - node->value) node->valueBytes = node->end - node->value;
  node->children = align4(node->value + node->valueBytes);
  return true;
}

std::uint32_t hexValue(const std::u16string& s, std::size_t from, std::size_t n, bool* ok) {
  std::uint32_t v = 0;
  for (std::size_t i = from; i < from + n; ++i) {
    const char16_t c = i < s.size() ? s[i] : u'?';
    int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
    if (d < 0) {
      *ok = false;
      return 0;
    }
    v = v << 4 | static_cast<std::uint32_t>(d);
  }
  return v;
}

// The language and code page: the first string table's key ("081604E4"),
// else the first pair of VarFileInfo\Translation.
void readLanguage(const Bytes& b, const Node& root, FileVersion* version) {
  bool found = false;
  Node child;
  for (std::uint64_t at = root.children; !found && readNode(b, at, root.end, &child); at = align4(child.end)) {
    Node grand;
    if (child.key == u"StringFileInfo") {
      if (readNode(b, child.children, child.end, &grand) && grand.key.size() == 8) {
        bool ok = true;
        const std::uint32_t language = hexValue(grand.key, 0, 4, &ok);
        const std::uint32_t codePage = hexValue(grand.key, 4, 4, &ok);
        if (ok) {
          version->language = language;
          version->codePage = codePage;
          found = true;
        }
      }
    } else if (child.key == u"VarFileInfo") {
      for (std::uint64_t g = child.children; readNode(b, g, child.end, &grand); g = align4(grand.end)) {
        if (grand.key == u"Translation" && grand.valueBytes >= 4) {
          version->language = b.u16(grand.value);
          version->codePage = b.u16(grand.value + 2);
          found = true;
          break;
        }
        if (align4(grand.end) <= g) break;
      }
    }
    if (align4(child.end) <= at) break;
  }
}

}  // namespace

std::int32_t parseFileVersion(std::span<const std::uint8_t> image, FileVersion* version) {
  *version = {};
  const Bytes b{image};
  constexpr std::int32_t kNone = kErrorResourceTypeNotFound;
  if (!b.has(0, 64) || b.u16(0) != 0x5A4D) return kNone;  // "MZ"
  const std::uint32_t pe = b.u32(0x3C);
  if (!b.has(pe, 24) || b.u32(pe) != 0x00004550) return kNone;  // "PE\0\0"
  const std::uint16_t sectionCount = b.u16(pe + 6);
  const std::uint16_t optionalSize = b.u16(pe + 20);
  const std::uint64_t optional = std::uint64_t{pe} + 24;
  if (!b.has(optional, optionalSize) || optionalSize < 2) return kNone;
  const std::uint16_t magic = b.u16(optional);
  std::uint64_t directories = 0, countAt = 0;
  if (magic == 0x10B) {
    countAt = optional + 92;
    directories = optional + 96;
  } else if (magic == 0x20B) {
    countAt = optional + 108;
    directories = optional + 112;
  } else {
    return kNone;
  }
  if (countAt + 4 > optional + optionalSize || b.u32(countAt) <= kResourceDirectory) return kNone;
  const std::uint64_t dirEntry = directories + kResourceDirectory * 8;
  if (dirEntry + 8 > optional + optionalSize) return kNone;
  const std::uint32_t resourceRva = b.u32(dirEntry);
  const std::uint32_t resourceSize = b.u32(dirEntry + 4);
  if (resourceRva == 0 || resourceSize < 16) return kNone;

  std::vector<Section> sections;
  const std::uint64_t table = optional + optionalSize;
  for (std::uint32_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t s = table + std::uint64_t{i} * 40;
    if (!b.has(s, 40)) return kNone;
    sections.push_back({b.u32(s + 12), b.u32(s + 8), b.u32(s + 20), b.u32(s + 16)});
  }
  const std::int64_t base = fileOffsetOf(sections, resourceRva, resourceSize);
  if (base < 0 || !b.has(static_cast<std::uint64_t>(base), resourceSize)) return kNone;
  const auto root = static_cast<std::uint64_t>(base);

  // Type 16, then the first name, then the first language.
  std::uint32_t entry = directoryEntry(b, root, resourceSize, 0, kVersionType);
  if (!(entry & 0x80000000u)) return kNone;
  entry = directoryEntry(b, root, resourceSize, entry & 0x7FFFFFFFu, 0);
  if (!(entry & 0x80000000u)) return kNone;
  entry = directoryEntry(b, root, resourceSize, entry & 0x7FFFFFFFu, 0);
  if (entry == 0 || (entry & 0x80000000u) || entry >= resourceSize || !b.has(root + entry, 16)) return kNone;
  const std::uint32_t dataRva = b.u32(root + entry);
  const std::uint32_t dataSize = b.u32(root + entry + 4);
  const std::int64_t data = fileOffsetOf(sections, dataRva, dataSize);
  if (data < 0 || !b.has(static_cast<std::uint64_t>(data), dataSize)) return kNone;

  Node info;
  const auto start = static_cast<std::uint64_t>(data);
  if (!readNode(b, start, start + dataSize, &info) || info.key != u"VS_VERSION_INFO" || info.valueBytes < 52)
    return kNone;
  const std::uint64_t v = info.value;
  if (b.u32(v) != kFixedSignature) return kNone;
  version->fileVersionMs = b.u32(v + 8);
  version->fileVersionLs = b.u32(v + 12);
  version->productVersionMs = b.u32(v + 16);
  version->productVersionLs = b.u32(v + 20);
  version->fileType = b.u32(v + 36);
  version->fileSubtype = b.u32(v + 40);
  readLanguage(b, info, version);
  return kErrorSuccess;
}

std::int32_t readFileVersion(std::string_view path, FileVersion* version) {
  *version = {};
  std::vector<std::uint8_t> bytes;
  if (const std::int32_t error = readFile(path, kLargestImage, &bytes)) return error;
  return parseFileVersion(bytes, version);
}

int compareFileVersions(const FileVersion& a, const FileVersion& b) {
  if (a.fileVersionMs != b.fileVersionMs) return a.fileVersionMs < b.fileVersionMs ? -1 : 1;
  if (a.fileVersionLs != b.fileVersionLs) return a.fileVersionLs < b.fileVersionLs ? -1 : 1;
  return 0;
}

}  // namespace platform
