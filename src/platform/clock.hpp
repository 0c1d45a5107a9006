#pragma once

#include <chrono>
#include <functional>

namespace zentomi {

// The monotonic clock of the main loop, behind an interface so tests can drive time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::nanoseconds now() = 0;
  virtual void sleep_for(std::chrono::nanoseconds duration) = 0;
};

// The monotonic clock's reading, for code that needs only "now".
std::chrono::nanoseconds steady_now();
// The real-time clock, for history time stamps.
std::chrono::system_clock::time_point wall_now();

// The real-time clock as it is handed to code that stamps records, so tests can fix the time.
using WallClock = std::function<std::chrono::system_clock::time_point()>;

class SteadyClock final : public Clock {
 public:
  std::chrono::nanoseconds now() override;
  // Resumes after signal interruptions until the whole interval has passed.
  void sleep_for(std::chrono::nanoseconds duration) override;
};

}  // namespace zentomi
