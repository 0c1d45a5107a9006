#include "app/install_tracker.hpp"

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

void InstallTracker::wait() {
  std::unique_lock lock(mutex_);
  ended_.wait(lock, [this] { return running_ == 0; });
}

}  // namespace zentomi
