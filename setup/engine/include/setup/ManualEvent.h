#pragma once
// A manual-reset event: once set it stays signalled, releasing every waiter,
// until it is reset.
#include <condition_variable>
#include <mutex>

namespace setup {

class ManualEvent {
 public:
  void set() {
    std::lock_guard<std::mutex> held(lock_);
    signalled_ = true;
    changed_.notify_all();
  }
  void reset() {
    std::lock_guard<std::mutex> held(lock_);
    signalled_ = false;
  }
  // Tests without waiting.
  bool isSet() {
    std::lock_guard<std::mutex> held(lock_);
    return signalled_;
  }
  // Waits without time limit.
  void wait() {
    std::unique_lock<std::mutex> held(lock_);
    changed_.wait(held, [this] { return signalled_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace setup
