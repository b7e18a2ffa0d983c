#pragma once
// Two pieces of independent work at once, one on a second thread, the other
// on the caller's. The POSIX threads of the C runtime serve both targets
// (MinGW-w64 builds with them too); when no thread can be started the work
// is done one piece after the other, with the same result.
#include <pthread.h>

namespace velmgen {

template <typename Other, typename Mine>
void sideBySide(Other& other, Mine&& mine) {
  pthread_t thread;
  void* (*entry)(void*) = [](void* work) -> void* {
    (*static_cast<Other*>(work))();
    return nullptr;
  };
  const bool started = pthread_create(&thread, nullptr, entry, &other) == 0;
  mine();
  if (started) {
    pthread_join(thread, nullptr);
  } else {
    other();
  }
}

// Below this many pixels a second thread costs more than it saves.
inline constexpr long long kSideBySidePixels = 1 << 16;

}  // namespace velmgen
