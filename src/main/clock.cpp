#include "main/clock.hpp"

#include <time.h>

#include <cerrno>

namespace zentomi {

std::chrono::nanoseconds SteadyClock::now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::sleep_for(std::chrono::nanoseconds duration) {
  if (duration.count() <= 0) return;
  timespec remaining{static_cast<time_t>(duration.count() / 1'000'000'000),
                     static_cast<long>(duration.count() % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &remaining, &remaining) == EINTR) {
  }
}

}  // namespace zentomi
