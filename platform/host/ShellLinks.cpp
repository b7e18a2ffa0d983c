// Shortcut files on the Linux host, in the binary shell-link format the
// shell reads: a 76-byte header, a LinkInfo block naming the target by its
// local path, then the description and the arguments as counted ANSI
// strings, and the empty terminal block. No item-ID list is written; the
// shell reads the target from the LinkInfo block. Times, size and icon are
// left zero, so the same fields give the same bytes.
#include "platform/ShellLinks.h"

#include <vector>

#include "platform/FileSystem.h"

namespace platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046}, as stored.
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasRelativePath = 0x08;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 1;

void put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }

std::int32_t hresultOf(std::int32_t error) {
  return error == 0 ? 0 : static_cast<std::int32_t>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFF));
}

Bytes linkBytes(std::string_view target, std::string_view arguments, std::string_view description) {
  std::uint32_t flags = kHasLinkInfo;
  if (!description.empty()) flags |= kHasName;
  if (!arguments.empty()) flags |= kHasArguments;
  Bytes b;
  // Room for the whole link up front (GCC 12 at -O3 also warns falsely
  // about the small vector's first inserts otherwise).
  b.reserve(256 + target.size() + 2 * (arguments.size() + description.size()));
  put32(b, kHeaderSize);
  b.insert(b.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
  put32(b, flags);
  put32(b, 0);                    // file attributes
  for (int i = 0; i < 6; ++i) put32(b, 0);  // creation, access and write times
  put32(b, 0);                    // file size
  put32(b, 0);                    // icon index
  put32(b, kShowNormal);
  put16(b, 0);                    // hot key
  put16(b, 0);
  put32(b, 0);
  put32(b, 0);

  // LinkInfo: header, VolumeID (fixed drive, empty label), local base path,
  // empty common path suffix.
  constexpr std::uint32_t kInfoHeader = 0x1C, kVolumeSize = 0x11;
  const std::uint32_t pathAt = kInfoHeader + kVolumeSize;
  const auto suffixAt = static_cast<std::uint32_t>(pathAt + target.size() + 1);
  const std::uint32_t infoSize = suffixAt + 1;
  put32(b, infoSize);
  put32(b, kInfoHeader);
  put32(b, kVolumeIdAndLocalBasePath);
  put32(b, kInfoHeader);  // VolumeID
  put32(b, pathAt);
  put32(b, 0);            // no network location
  put32(b, suffixAt);
  put32(b, kVolumeSize);
  put32(b, kDriveFixed);
  put32(b, 0);            // serial number
  put32(b, 0x10);         // label offset
  b.push_back(0);         // empty label
  putText(b, target);
  b.push_back(0);
  b.push_back(0);         // empty suffix

  for (std::string_view s : {description, arguments}) {
    if (s.empty()) continue;
    put16(b, static_cast<std::uint32_t>(s.size()));
    putText(b, s);
  }
  put32(b, 0);  // terminal block
  return b;
}

struct Reader {
  const Bytes& b;
  std::size_t at = 0;
  bool ok = true;
  bool has(std::size_t n) const { return ok && n <= b.size() && at <= b.size() - n; }
  std::uint32_t u16() {
    if (!has(2)) return ok = false, 0;
    const std::uint32_t v = b[at] | b[at + 1] << 8;
    at += 2;
    return v;
  }
  std::uint32_t u32At(std::size_t p) const {
    return p + 4 <= b.size() ? static_cast<std::uint32_t>(b[p] | b[p + 1] << 8 | b[p + 2] << 16 | b[p + 3] << 24) : 0;
  }
  // A counted string: ANSI bytes, or UTF-16 kept as its low bytes.
  std::string text(bool unicode) {
    const std::uint32_t n = u16();
    std::string s;
    const std::size_t bytes = unicode ? std::size_t{n} * 2 : n;
    if (!has(bytes)) return ok = false, s;
    for (std::uint32_t i = 0; i < n; ++i) s.push_back(static_cast<char>(unicode ? b[at + 2 * i] : b[at + i]));
    at += bytes;
    return s;
  }
  std::string cString(std::size_t p, std::size_t end) const {
    std::string s;
    while (p < end && p < b.size() && b[p]) s.push_back(static_cast<char>(b[p++]));
    return s;
  }
};

}  // namespace

ShellLinkOutcome createShellLink(std::string_view target, std::string_view arguments, std::string_view linkPath,
                                 std::string_view description) {
  const Bytes bytes = linkBytes(target, arguments, description);
  ShellLinkOutcome outcome;
  if (const std::int32_t error = writeFile(linkPath, bytes)) {
    outcome.failedAt = ShellLinkOutcome::Step::Save;
    outcome.hresult = hresultOf(error);
  }
  return outcome;
}

ShellLinkOutcome readShellLink(std::string_view linkPath, ShellLinkFields* fields) {
  *fields = {};
  ShellLinkOutcome outcome;
  outcome.failedAt = ShellLinkOutcome::Step::Load;
  Bytes b;
  if (const std::int32_t error = readFile(linkPath, 1u << 20, &b)) {
    outcome.hresult = hresultOf(error);
    return outcome;
  }
  constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
  Reader r{b};
  if (b.size() < kHeaderSize || r.u32At(0) != kHeaderSize) {
    outcome.hresult = kFail;
    return outcome;
  }
  const std::uint32_t flags = r.u32At(20);
  const bool unicode = (flags & kIsUnicode) != 0;
  r.at = kHeaderSize;
  if (flags & kHasIdList) r.at += 2 + r.u16();
  if (flags & kHasLinkInfo) {
    const std::size_t info = r.at;
    const std::uint32_t size = r.u32At(info);
    if (size < 0x1C || !r.has(size)) {
      outcome.hresult = kFail;
      return outcome;
    }
    const std::size_t end = info + size;
    if (r.u32At(info + 8) & kVolumeIdAndLocalBasePath) {
      fields->target = r.cString(info + r.u32At(info + 16), end) + r.cString(info + r.u32At(info + 24), end);
    }
    r.at = end;
  }
  std::string relative, workingDir;
  if (flags & kHasName) fields->description = r.text(unicode);
  if (flags & kHasRelativePath) relative = r.text(unicode);
  if (flags & kHasWorkingDir) workingDir = r.text(unicode);
  if (flags & kHasArguments) fields->arguments = r.text(unicode);
  if (!r.ok) {
    outcome.hresult = kFail;
    return outcome;
  }
  outcome.failedAt = ShellLinkOutcome::Step::Done;
  outcome.hresult = 0;
  return outcome;
}

}  // namespace platform
