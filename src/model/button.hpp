#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zentomi {

// The console's controls. The numeric values are fixed: the main loop stores and compares them as
// bytes, and R2 comes before L2 on purpose.
enum class Button : std::uint8_t {
  Up = 0,
  Down = 1,
  Left = 2,
  Right = 3,
  A = 4,
  B = 5,
  X = 6,
  Y = 7,
  L1 = 8,
  R1 = 9,
  R2 = 10,
  L2 = 11,
  Select = 12,
  Start = 13,
  Menu = 14,
};

inline constexpr int BUTTON_COUNT = 15;

// Upper-case name as used in simulator scripts and log lines ("UP", "SELECT", ...).
std::string_view button_name(Button button);
// Case-insensitive inverse of button_name.
std::optional<Button> button_from_name(std::string_view name);

}  // namespace zentomi
