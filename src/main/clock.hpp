#pragma once

#include <chrono>

namespace zentomi {

// The monotonic clock of the main loop, behind an interface so tests can drive time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::nanoseconds now() = 0;
  virtual void sleep_for(std::chrono::nanoseconds duration) = 0;
};

class SteadyClock final : public Clock {
 public:
  std::chrono::nanoseconds now() override;
  // Resumes after signal interruptions until the whole interval has passed.
  void sleep_for(std::chrono::nanoseconds duration) override;
};

}  // namespace zentomi
