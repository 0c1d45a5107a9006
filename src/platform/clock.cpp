#include "platform/clock.hpp"

#include <time.h>

#include <cerrno>

namespace zentomi {

std::chrono::nanoseconds steady_now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

std::chrono::system_clock::time_point wall_now() {
  return std::chrono::system_clock::now();
}

std::chrono::nanoseconds SteadyClock::now() {
  return steady_now();
}

void SteadyClock::sleep_for(std::chrono::nanoseconds duration) {
  if (duration.count() <= 0) return;
  timespec remaining{static_cast<time_t>(duration.count() / 1'000'000'000),
                     static_cast<long>(duration.count() % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &remaining, &remaining) == EINTR) {
  }
}

}  // namespace zentomi
