#pragma once
// Where the host services ask the fault switch (HostFaults.h) whether this
// call fails. Disarmed, the question costs one relaxed load and a branch
// that is always predicted.
#include <atomic>
#include <cstdint>

#include "platform/HostFaults.h"

namespace platform::faults {

extern std::atomic<bool> gArmed;
std::int32_t countAndCheck(Service service);

// 0, or the error this call fails with.
inline std::int32_t injected(Service service) {
  if (!gArmed.load(std::memory_order_relaxed)) [[likely]]
    return 0;
  return countAndCheck(service);
}

}  // namespace platform::faults
