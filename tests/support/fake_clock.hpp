#pragma once

#include <chrono>
#include <vector>

#include "platform/clock.hpp"

namespace zentomi::testing {

// Time moves only when a test advances it or the loop sleeps.
class FakeClock final : public Clock {
 public:
  std::chrono::nanoseconds now() override { return now_; }
  void sleep_for(std::chrono::nanoseconds duration) override {
    sleeps.push_back(duration);
    now_ += duration;
  }
  void advance(std::chrono::nanoseconds duration) { now_ += duration; }

  std::vector<std::chrono::nanoseconds> sleeps;

 private:
  std::chrono::nanoseconds now_{5'000'000'000};
};

}  // namespace zentomi::testing
