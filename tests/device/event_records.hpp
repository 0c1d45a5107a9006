#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "device/evdev_translation.hpp"

namespace zentomi {

// Failure messages name the button instead of showing its byte.
inline void PrintTo(Button button, std::ostream* out) {
  *out << button_name(button);
}

}  // namespace zentomi

namespace zentomi::testing {

// One 24-byte input_event as the kernel writes it, with time fields that must not matter.
inline std::array<std::uint8_t, input::EVENT_RECORD_SIZE> event_bytes(std::uint16_t type,
                                                                      std::uint16_t code,
                                                                      std::int32_t value) {
  std::array<std::uint8_t, input::EVENT_RECORD_SIZE> bytes{};
  for (std::size_t i = 0; i < 16; ++i)
    bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  bytes[16] = static_cast<std::uint8_t>(type);
  bytes[17] = static_cast<std::uint8_t>(type >> 8);
  bytes[18] = static_cast<std::uint8_t>(code);
  bytes[19] = static_cast<std::uint8_t>(code >> 8);
  const auto raw = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i)
    bytes[20 + i] = static_cast<std::uint8_t>(raw >> (8 * i));
  return bytes;
}

inline std::string key(std::uint16_t code, std::int32_t value = 1) {
  const auto bytes = event_bytes(input::EV_KEY_TYPE, code, value);
  return std::string(bytes.begin(), bytes.end());
}

inline std::string axis(std::uint16_t code, std::int32_t value) {
  const auto bytes = event_bytes(input::EV_ABS_TYPE, code, value);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace zentomi::testing
