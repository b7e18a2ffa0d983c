// The script compiler on any source text, and the disassembler on what it
// makes and on any bytes: a script that compiles prints back as source that
// compiles to the same bytes; a failed compile says where
// ("file:line:column: message"); any entry either prints and compiles back
// to itself or is refused with a message.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Compiler.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void roundTrip(const kestrin::Bytes& entry) {
  std::string text;
  std::string error;
  if (!kestrin::disassembleScript(entry, &text, &error)) {
    require(!error.empty());
    return;
  }
  kestrin::Bytes again;
  require(kestrin::compileScript(text, "disasm", &again, &error));
  require(again == entry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  kestrin::Bytes entry;
  std::string error;
  if (kestrin::compileScript(source, "fuzz.kes", &entry, &error)) {
    roundTrip(entry);
  } else {
    require(error.starts_with("fuzz.kes:"));
  }
  // The same bytes taken as a compiled script entry.
  roundTrip(kestrin::Bytes(data, data + size));
  return 0;
}
