// Decoding, validation, trimming and case mapping must accept any byte string.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "unicode/case_mapping.hpp"
#include "unicode/utf8.hpp"
#include "unicode/white_space.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto error = zentomi::unicode::validate_utf8(bytes);
  const std::string clean = zentomi::unicode::sanitize_utf8(bytes);
  if (!zentomi::unicode::is_valid_utf8(clean)) __builtin_trap();
  if (!error && clean != bytes) __builtin_trap();
  if (error && error->valid_up_to > size) __builtin_trap();
  std::size_t position = 0;
  while (position < size) {
    const std::size_t before = position;
    zentomi::unicode::decode_next(bytes, position);
    if (position <= before || position > size) __builtin_trap();
  }
  const std::string_view trimmed = zentomi::unicode::trim_white_space(bytes);
  if (trimmed.size() > size) __builtin_trap();
  (void)zentomi::unicode::to_lower(bytes);
  (void)zentomi::unicode::to_upper(bytes);
  return 0;
}
