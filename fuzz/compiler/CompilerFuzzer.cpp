// The script compiler on any source text, and the disassembler on what it
// makes and on any bytes: a script that compiles passes kestrin's check (if
// it writes no raw bytes) and
// prints back as source that compiles to the same bytes; a failed compile says where
// ("file:line:column: message"); any entry either prints and compiles back
// to itself or is refused with a message.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Compiler.h"
#include "ScriptCheck.h"
#include "ScratchRoot.h"

namespace {

void roundTrip(const kestrin::Bytes& entry) {
  std::string text;
  std::string error;
  if (!kestrin::disassembleScript(entry, &text, &error)) {
    FUZZ_REQUIRE(!error.empty());
    return;
  }
  kestrin::Bytes again;
  FUZZ_REQUIRE(kestrin::compileScript(text, "disasm", &again, &error));
  FUZZ_REQUIRE(again == entry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  kestrin::Bytes entry;
  std::string error;
  if (kestrin::compileScript(source, "fuzz.kes", &entry, &error)) {
    // What the compiler makes, the installer can read, unless the source
    // put raw bytes into the code.
    if (source.find("bytes") == std::string_view::npos) FUZZ_REQUIRE(!kestrin::checkScript(entry).has_value());
    roundTrip(entry);
  } else {
    FUZZ_REQUIRE(error.starts_with("fuzz.kes:"));
  }
  // The same bytes taken as a compiled script entry.
  roundTrip(kestrin::Bytes(data, data + size));
  return 0;
}
