#include "app/install_tracker.hpp"

#include "platform/log.hpp"

namespace zentomi {

bool InstallTracker::begin() {
  const std::lock_guard lock(mutex_);
  if (closed_) return false;
  ++running_;
  return true;
}

void InstallTracker::end() {
  {
    const std::lock_guard lock(mutex_);
    --running_;
  }
  ended_.notify_all();
}

bool InstallTracker::close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
  return running_ > 0;
}

bool InstallTracker::wait(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (ended_.wait_for(lock, limit, [this] { return running_ == 0; })) return true;
  lock.unlock();
  log_line("App", "The install is still running; ending without it.");
  return false;
}

}  // namespace zentomi
