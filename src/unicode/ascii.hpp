#pragma once

namespace zentomi::unicode {

// The digits 0 to 9 only, whatever the locale.
constexpr bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace zentomi::unicode
