#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zentomi::unicode {

inline constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// Where a byte string stops being UTF-8: the length of the valid prefix, and how many bytes the
// invalid sequence there spans (nothing when the input ends in the middle of a sequence).
struct Utf8Error {
  std::size_t valid_up_to = 0;
  std::optional<std::size_t> error_length;
  bool operator==(const Utf8Error&) const = default;
};

// Nothing when the whole text is well-formed UTF-8.
std::optional<Utf8Error> validate_utf8(std::string_view bytes);
inline bool is_valid_utf8(std::string_view bytes) {
  return !validate_utf8(bytes).has_value();
}

// Decodes one code point at `position` and advances it. Each maximal ill-formed subsequence gives
// one U+FFFD, so any byte string decodes without reading out of bounds.
char32_t decode_next(std::string_view bytes, std::size_t& position);

// The text with every ill-formed subsequence replaced by U+FFFD.
std::string sanitize_utf8(std::string_view bytes);

void append_utf8(std::string& out, char32_t code_point);

}  // namespace zentomi::unicode
