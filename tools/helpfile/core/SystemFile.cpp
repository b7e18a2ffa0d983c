#include "SystemFile.h"

#include "HelpFormat.h"

namespace helpfile {
namespace {

void putRecord(Bytes& b, std::uint16_t type, const Bytes& data) {
  put16(b, type);
  put16(b, static_cast<std::uint16_t>(data.size()));
  putBytes(b, data);
}

}  // namespace

Bytes buildSystemFile(const SystemInfo& info) {
  Bytes b;
  put16(b, kSystemMagic);
  put16(b, kSystemMinor);
  put16(b, kSystemMajor);
  put32(b, 0);  // generation date: none, so the same text makes the same file
  put16(b, kSystemFlagsUncompressed4k);

  Bytes title;
  putString(title, info.title);
  putRecord(b, kSystemTitle, title);
  Bytes contents;
  put32(contents, info.contentsOffset);
  putRecord(b, kSystemContents, contents);
  for (const std::string& m : info.macros) {
    Bytes macro;
    putString(macro, m);
    putRecord(b, kSystemMacro, macro);
  }
  return b;
}

}  // namespace helpfile
