#pragma once

#include <chrono>
#include <thread>

namespace zentomi::testing {

// The next message of a channel's receiver, or nothing once `limit` has passed without one.
template <typename Receiver>
auto receive_within(Receiver& receiver, std::chrono::milliseconds limit)
    -> decltype(receiver.try_receive()) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (true) {
    if (auto message = receiver.try_receive()) return message;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace zentomi::testing
