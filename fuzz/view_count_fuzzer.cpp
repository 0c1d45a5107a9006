// A view count is read from whatever the site prints: white space around it and the case of its
// letters change nothing, and a plain run of digits that fits is its own value.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/ordering.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::uint64_t views = zentomi::parse_views(text);
  if (zentomi::parse_views(" " + std::string(text) + "\t") != views) __builtin_trap();
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (zentomi::parse_views(lower) != views) __builtin_trap();
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (!text.empty() && error == std::errc{} && end == text.data() + text.size() && views != value)
    __builtin_trap();
  return 0;
}
