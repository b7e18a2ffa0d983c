#include "HelpFileReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace helpfile::testing {
namespace {

using Buf = std::vector<std::uint8_t>;

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) { return u16(p) | static_cast<std::uint32_t>(u16(p + 2)) << 16; }

struct Reader {
  const Buf& b;
  std::string* error;
  bool fail(const std::string& what) {
    *error = what;
    return false;
  }
  bool has(std::size_t at, std::size_t n) const { return at <= b.size() && n <= b.size() - at; }

  // An internal file: its content's offset and size, within the file.
  bool internal(std::uint32_t at, const std::string& name, std::size_t* content, std::size_t* size) {
    if (!has(at, 9)) return fail(name + ": header outside the file");
    const std::uint32_t reserved = u32(&b[at]), used = u32(&b[at + 4]);
    if (reserved < used + 9) return fail(name + ": reserved space smaller than used space plus header");
    if (!has(at, reserved)) return fail(name + ": reaches past the end of the file");
    *content = at + 9;
    *size = used;
    return true;
  }

  // The leaf entries of a B+ tree with a single level; `entry` gets each
  // entry's start and returns its length (0 for a bad entry).
  template <typename F>
  bool leaves(std::size_t at, std::size_t size, std::uint16_t pageSize, F entry) {
    if (size < 38) return fail("B+ tree header truncated");
    const std::uint8_t* h = &b[at];
    if (u16(h) != 0x293B) return fail("B+ tree magic wrong");
    if (u16(h + 4) != pageSize) return fail("B+ tree page size " + std::to_string(u16(h + 4)));
    if (u16(h + 32) != 1) return fail("B+ tree has more than one level");
    const std::uint16_t pages = u16(h + 30);
    if (size < 38 + std::size_t{pages} * pageSize) return fail("B+ tree pages truncated");
    std::uint32_t counted = 0;
    std::uint16_t page = u16(h + 26);
    for (int guard = 0; page != 0xFFFF; ++guard) {
      if (page >= pages || guard > pages) return fail("B+ tree page chain broken");
      const std::size_t p = at + 38 + std::size_t{page} * pageSize;
      const std::int16_t n = static_cast<std::int16_t>(u16(&b[p + 2]));
      std::size_t e = p + 8;
      for (int i = 0; i < n; ++i) {
        const std::size_t len = entry(e, p + pageSize);
        if (len == 0) return fail("B+ tree entry outside its page");
        e += len;
        ++counted;
      }
      if (u16(&b[p]) != p + pageSize - e) return fail("B+ tree page's free-byte count wrong");
      page = u16(&b[p + 6]);
    }
    if (counted != u32(h + 34)) return fail("B+ tree entry count wrong");
    return true;
  }
};

}  // namespace

std::int32_t readCompressedLong(const std::uint8_t* p, std::size_t* at) {
  const std::uint8_t* q = p + *at;
  if (q[0] & 1) {
    *at += 4;
    return static_cast<std::int32_t>((static_cast<std::int64_t>(u32(q)) - 0x80000000LL) / 2);
  }
  *at += 2;
  return (static_cast<std::int32_t>(u16(q)) - 0x8000) / 2;
}

std::uint16_t readCompressedUShort(const std::uint8_t* p, std::size_t* at) {
  const std::uint8_t* q = p + *at;
  if (q[0] & 1) {
    *at += 2;
    return static_cast<std::uint16_t>(u16(q) / 2);
  }
  *at += 1;
  return static_cast<std::uint16_t>(q[0] / 2);
}

std::int16_t readCompressedShort(const std::uint8_t* p, std::size_t* at) {
  const std::uint8_t* q = p + *at;
  if (q[0] & 1) {
    *at += 2;
    return static_cast<std::int16_t>((static_cast<std::int32_t>(u16(q)) - 0x8000) / 2);
  }
  *at += 1;
  return static_cast<std::int16_t>((static_cast<std::int32_t>(q[0]) - 0x80) / 2);
}

namespace {

bool readParagraph(const Buf& rec, std::size_t dataLen1, std::uint32_t dataLen2, ReadParagraph* out, std::string* error) {
  const std::uint8_t* p = rec.data();
  std::size_t at = 0x15;
  const std::int32_t size = readCompressedLong(p, &at);
  out->chars = readCompressedUShort(p, &at);
  if (size != static_cast<std::int32_t>(dataLen2)) return *error = "text size field differs from the text's size", false;
  at += 4;  // unknown, biased unknown, paragraph id
  const std::uint16_t bits = u16(p + at);
  at += 2;
  out->attributes = bits;
  if (bits & 0x0001) readCompressedLong(p, &at);
  for (std::uint16_t bit : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040})
    if (bits & bit) readCompressedShort(p, &at);
  if (bits & 0x0300) return *error = "borders and tabs are not expected", false;

  const char* text = reinterpret_cast<const char*>(p + dataLen1);
  const char* textEnd = text + dataLen2;
  std::uint32_t shown = 0;
  while (true) {
    if (text >= textEnd) return *error = "text strings run out before the end command", false;
    const std::size_t len = strnlen(text, static_cast<std::size_t>(textEnd - text));
    if (text + len == textEnd) return *error = "text string not terminated", false;
    out->text.append(text, len);
    shown += static_cast<std::uint32_t>(len);
    text += len + 1;
    if (at >= dataLen1) return *error = "format commands run past their end", false;
    const std::uint8_t cmd = p[at];
    if (cmd == 0xFF) {
      ++at;
      break;
    }
    switch (cmd) {
      case 0x80:
        out->fonts.push_back(u16(p + at + 1));
        at += 3;
        break;
      case 0x82:
        out->text += '\n';
        ++shown;
        ++at;
        break;
      case 0xE3:
        out->jumps.push_back(u32(p + at + 1));
        at += 5;
        break;
      case 0x89:
        ++at;
        break;
      default:
        return *error = "unexpected format command " + std::to_string(cmd), false;
    }
  }
  if (at != dataLen1) return *error = "format bytes left after the end command", false;
  if (text != textEnd) return *error = "text left after the end command", false;
  if (shown != out->chars) return *error = "character count differs from the text shown", false;
  return true;
}

bool readTopics(const Buf& b, std::size_t at, std::size_t size, ReadHelp* out, std::string* error) {
  constexpr std::size_t kBlock = 4096, kData = kBlock - 12;
  out->topicFileSize = size;
  Buf stream;  // the blocks' data laid end to end
  for (std::size_t k = 0; k * kBlock < size; ++k) {
    const std::size_t from = at + k * kBlock + 12, to = at + std::min(size, (k + 1) * kBlock);
    if (from < to) stream.insert(stream.end(), b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
  }
  std::uint32_t ref = 0x0C, previous = 0xFFFFFFFF;
  std::uint32_t block = 0xFFFFFFFF, chars = 0;
  for (int guard = 0; ref != 0xFFFFFFFF; ++guard) {
    if (guard > 100000) return *error = "topic chain does not end", false;
    const std::uint32_t index = (ref - 0x0C) >> 14, offset = (ref - 0x0C) & 0x3FFF;
    if (offset >= kData) return *error = "topic position inside a block header", false;
    const std::size_t pos = index * kData + offset;
    if (pos + 21 > stream.size()) return *error = "topic record outside |TOPIC", false;
    const std::uint8_t* h = &stream[pos];
    const std::uint32_t blockSize = u32(h), dataLen2 = u32(h + 4), dataLen1 = u32(h + 0x10);
    if (u32(h + 8) != previous) return *error = "topic record's back link wrong", false;
    if (dataLen1 < 21 || blockSize != dataLen1 + dataLen2) return *error = "topic record sizes inconsistent", false;
    if (pos + blockSize > stream.size()) return *error = "topic record runs past |TOPIC", false;
    const Buf rec(stream.begin() + static_cast<std::ptrdiff_t>(pos), stream.begin() + static_cast<std::ptrdiff_t>(pos + blockSize));
    if (index != block) block = index, chars = 0;
    if (h[0x14] == 0x02) {
      if (dataLen1 != 21 + 28) return *error = "topic header of the wrong size", false;
      ReadTopic t;
      t.offset = index * 0x8000 + chars;
      t.browseBack = u32(&rec[0x19]);
      t.browseForward = u32(&rec[0x1D]);
      t.number = u32(&rec[0x21]);
      t.title.assign(reinterpret_cast<const char*>(&rec[dataLen1]), dataLen2);
      out->topics.push_back(std::move(t));
    } else if (h[0x14] == 0x20) {
      if (out->topics.empty()) return *error = "text before the first topic header", false;
      ReadParagraph para;
      if (!readParagraph(rec, dataLen1, dataLen2, &para, error)) return false;
      chars += para.chars;
      out->topics.back().paragraphs.push_back(std::move(para));
    } else {
      return *error = "unexpected topic record type " + std::to_string(h[0x14]), false;
    }
    previous = ref;
    ref = u32(h + 0x0C);
  }
  return true;
}

}  // namespace

bool readHelpFile(const Buf& b, ReadHelp* out, std::string* error) {
  Reader r{b, error};
  *out = {};
  if (b.size() < 16) return r.fail("shorter than the file header");
  if (u32(&b[0]) != 0x00035F3F) return r.fail("file magic wrong");
  if (u32(&b[12]) != b.size()) return r.fail("file size field differs from the file's size");

  std::size_t at = 0, size = 0;
  if (!r.internal(u32(&b[4]), "directory", &at, &size)) return false;
  if (u16(&b[at + 2]) != 0x0402) return r.fail("directory flags wrong");
  std::string lastName;
  const bool ok = r.leaves(at, size, 0x0400, [&](std::size_t e, std::size_t pageEnd) -> std::size_t {
    const std::size_t len = strnlen(reinterpret_cast<const char*>(&b[e]), pageEnd - e);
    if (e + len + 5 > pageEnd) return 0;
    std::string name(reinterpret_cast<const char*>(&b[e]), len);
    if (!lastName.empty() && !(lastName < name)) return 0;  // must be in strcmp order
    lastName = name;
    out->directory[name] = u32(&b[e + len + 1]);
    return len + 5;
  });
  if (!ok) return false;

  const auto open = [&](const std::string& name, std::size_t* a, std::size_t* s) {
    const auto it = out->directory.find(name);
    if (it == out->directory.end()) return r.fail(name + " missing");
    return r.internal(it->second, name, a, s);
  };

  if (!open("|SYSTEM", &at, &size)) return false;
  if (size < 12 || u16(&b[at]) != 0x036C || u16(&b[at + 4]) != 1) return r.fail("|SYSTEM header wrong");
  out->minor = u16(&b[at + 2]);
  out->flags = u16(&b[at + 10]);
  for (std::size_t p = at + 12; p + 4 <= at + size;) {
    const std::uint16_t type = u16(&b[p]), len = u16(&b[p + 2]);
    if (p + 4 + len > at + size) return r.fail("|SYSTEM record runs past its file");
    const std::string data(reinterpret_cast<const char*>(&b[p + 4]), len);
    if (type == 1) out->title = data.substr(0, data.find('\0'));
    if (type == 3 && len == 4) out->contentsOffset = u32(&b[p + 4]);
    if (type == 4) out->macros.push_back(data.substr(0, data.find('\0')));
    p += 4 + len;
  }

  if (!open("|FONT", &at, &size)) return false;
  const std::uint16_t faces = u16(&b[at]), fonts = u16(&b[at + 2]), facesAt = u16(&b[at + 4]), fontsAt = u16(&b[at + 6]);
  if (faces == 0 || (fontsAt - facesAt) % faces != 0 || fontsAt + fonts * 11u > size) return r.fail("|FONT layout wrong");
  for (std::uint16_t i = 0; i < fonts; ++i) {
    const std::uint8_t* d = &b[at + fontsAt + i * 11u];
    if (u16(d + 3) >= faces) return r.fail("font names a face that is not there");
    out->fontHalfPoints.push_back(d[1]);
  }

  if (!open("|CONTEXT", &at, &size)) return false;
  std::int64_t lastHash = INT64_MIN;
  const bool contextOk = r.leaves(at, size, 0x0800, [&](std::size_t e, std::size_t pageEnd) -> std::size_t {
    if (e + 8 > pageEnd) return 0;
    const std::int32_t hash = static_cast<std::int32_t>(u32(&b[e]));
    if (hash <= lastHash) return 0;  // the viewer searches signed, ascending
    lastHash = hash;
    out->contexts[u32(&b[e])] = u32(&b[e + 4]);
    return 8;
  });
  if (!contextOk) return false;

  if (out->minor <= 16 || out->flags != 0) return r.fail("only uncompressed 4 KB topic blocks are read here");
  if (!open("|TOPIC", &at, &size)) return false;
  return readTopics(b, at, size, out, error);
}

}  // namespace helpfile::testing
