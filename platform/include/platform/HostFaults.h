#pragma once
// Failing the system on purpose, for tests (Linux host only; the Windows
// build has no such switch). Once armed, the nth call of a chosen service
// fails with a chosen system error, or that call and every later one (a disk
// that stays full). Counting starts when the switch is armed, so a test can
// first run a job with nothing failing to learn how many calls it makes and
// then fail each of them in turn.
//
// The same can be set for a whole program from outside with the
// environment variable VELMORA_FAULT="service:nth:error[:sticky]", e.g.
// "write:3:112:sticky" (services: open, read, write, rename, mkdir,
// regwrite; "diskfull:N" is write:N:112:sticky).
//
// Disk full (kErrorDiskFull on write) writes half of the bytes before it
// fails, as a disk that fills up in the middle of a write does.
#include <cstdint>
#include <string_view>

namespace platform::faults {

enum class Service : std::uint8_t {
  Open,             // opening a file, for reading, writing or a copy
  Read,             // reading from a file
  Write,            // writing to a file
  Rename,           // putting a file in place of another
  CreateDirectory,  // making a directory
  RegistryWrite,    // any change to the registry (its transaction is rolled back)
};
inline constexpr int kServiceCount = 6;

// Arms the switch: the nth call of `service` from now on (1 for the next)
// fails with `error`; with `sticky` so does every call after it. nth 0 only
// counts calls.
void failCall(Service service, std::uint32_t nth, std::int32_t error, bool sticky = false);
// Disarms it.
void clearFaults();
// Calls of the service made since the switch was armed.
std::uint32_t callCount(Service service);
// Whether the armed failure has happened.
bool faultFired();

// "service:nth:error[:sticky]" as in VELMORA_FAULT; false when it does not parse.
bool armFromText(std::string_view text);

}  // namespace platform::faults
