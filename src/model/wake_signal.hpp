#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zentomi {

// Wakes the one thread that waits for something to do. Every queue of the main loop (presses, job
// results) and the cover worker raise it, so the loop sleeps until one of them has news or its
// next deadline comes, instead of looking 60 times a second.
class WakeSignal {
 public:
  // From any thread.
  void raise() {
    {
      const std::lock_guard lock(mutex_);
      raised_ = true;
    }
    ready_.notify_all();
  }

  // Until raised (since the last wait ended) or `timeout` has passed. True when raised; the raise
  // is consumed.
  bool wait_for(std::chrono::nanoseconds timeout) {
    std::unique_lock lock(mutex_);
    const bool raised = ready_.wait_for(lock, timeout, [this] { return raised_; });
    raised_ = false;
    return raised;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  bool raised_ = false;
};

}  // namespace zentomi
