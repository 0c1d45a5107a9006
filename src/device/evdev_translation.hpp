#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "model/button.hpp"

namespace zentomi::input {

// The 64-bit Linux input_event: two 8-byte time fields, type, code and value, little-endian.
inline constexpr std::size_t EVENT_RECORD_SIZE = 24;

inline constexpr std::uint16_t EV_KEY_TYPE = 1;
inline constexpr std::uint16_t EV_ABS_TYPE = 3;

struct EventRecord {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

// Direction of the sticks and hats, shared by every device: -1, 0 or +1 on each axis.
struct AxisState {
  int horizontal = 0;
  int vertical = 0;
};

EventRecord decode_record(std::span<const std::uint8_t, EVENT_RECORD_SIZE> bytes);

// The button a key code stands for, by number (305 is A and 304 is B whatever their Linux names).
std::optional<Button> button_for_key_code(std::uint16_t code);

// The press one record makes, if any. Key presses and auto-repeats count, releases do not; an
// axis emits once when it leaves the dead zone or changes side, and must come back before it can
// emit again.
std::optional<Button> translate_record(const EventRecord& record, AxisState& axes);

}  // namespace zentomi::input
