#include <cstdlib>
#include <mutex>
#include <string>

#include "FaultPoint.h"
#include "platform/SystemError.h"

namespace platform::faults {

constinit std::atomic<bool> gArmed{false};

namespace {

struct Switch {
  std::mutex lock;
  Service service = Service::Open;
  std::uint32_t nth = 0;
  std::int32_t error = 0;
  bool sticky = false;
  bool fired = false;
  std::uint32_t calls[kServiceCount] = {};
};

Switch& theSwitch() {
  static Switch s;
  return s;
}

bool serviceNamed(std::string_view name, Service* out) {
  constexpr std::string_view kNames[kServiceCount] = {"open", "read", "write", "rename", "mkdir", "regwrite"};
  for (int i = 0; i < kServiceCount; ++i) {
    if (name == kNames[i]) {
      *out = static_cast<Service>(i);
      return true;
    }
  }
  return false;
}

// Arms the switch from VELMORA_FAULT when the program starts.
[[maybe_unused]] const bool gFromEnvironment = [] {
  const char* text = std::getenv("VELMORA_FAULT");
  return text && *text && armFromText(text);
}();

}  // namespace

std::int32_t countAndCheck(Service service) {
  Switch& s = theSwitch();
  std::lock_guard<std::mutex> held(s.lock);
  const std::uint32_t call = ++s.calls[static_cast<int>(service)];
  if (s.nth == 0 || service != s.service) return 0;
  if (call == s.nth || (s.sticky && call > s.nth)) {
    s.fired = true;
    return s.error;
  }
  return 0;
}

void failCall(Service service, std::uint32_t nth, std::int32_t error, bool sticky) {
  Switch& s = theSwitch();
  std::lock_guard<std::mutex> held(s.lock);
  s.service = service;
  s.nth = nth;
  s.error = error;
  s.sticky = sticky;
  s.fired = false;
  for (auto& c : s.calls) c = 0;
  gArmed.store(true, std::memory_order_relaxed);
}

void clearFaults() {
  Switch& s = theSwitch();
  std::lock_guard<std::mutex> held(s.lock);
  gArmed.store(false, std::memory_order_relaxed);
  s.nth = 0;
  s.fired = false;
  for (auto& c : s.calls) c = 0;
}

std::uint32_t callCount(Service service) {
  Switch& s = theSwitch();
  std::lock_guard<std::mutex> held(s.lock);
  return s.calls[static_cast<int>(service)];
}

bool faultFired() {
  Switch& s = theSwitch();
  std::lock_guard<std::mutex> held(s.lock);
  return s.fired;
}

bool armFromText(std::string_view text) {
  std::string parts[4];
  int count = 0;
  for (char c : text) {
    if (c == ':') {
      if (++count == 4) return false;
    } else {
      parts[count] += c;
    }
  }
  ++count;
  const auto number = [](const std::string& t, long* out) {
    if (t.empty()) return false;
    char* end = nullptr;
    *out = std::strtol(t.c_str(), &end, 10);
    return *end == '\0';
  };
  long nth = 0;
  if (count < 2 || !number(parts[1], &nth) || nth < 0) return false;
  if (parts[0] == "diskfull" && count == 2) {
    failCall(Service::Write, static_cast<std::uint32_t>(nth), kErrorDiskFull, true);
    return true;
  }
  Service service;
  long error = 0;
  if (count < 3 || !serviceNamed(parts[0], &service) || !number(parts[2], &error)) return false;
  if (count == 4 && parts[3] != "sticky") return false;
  failCall(service, static_cast<std::uint32_t>(nth), static_cast<std::int32_t>(error), count == 4);
  return true;
}

}  // namespace platform::faults
