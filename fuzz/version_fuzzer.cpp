// Version comparison is a strict order on any two texts: never both ways, never a text against
// itself, unchanged by leading "v"s, and transitive through a third text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "updater/version.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t first = input.find('\n');
  const std::size_t second = first == std::string_view::npos ? first : input.find('\n', first + 1);
  const std::string_view a = input.substr(0, first);
  const std::string_view b = first == std::string_view::npos
                                 ? std::string_view()
                                 : input.substr(first + 1, second - first - 1);
  const std::string_view c =
      second == std::string_view::npos ? std::string_view() : input.substr(second + 1);
  using zentomi::is_newer_version;
  if (is_newer_version(a, a)) __builtin_trap();
  if (is_newer_version(a, b) && is_newer_version(b, a)) __builtin_trap();
  if (is_newer_version(a, b) != is_newer_version("vv" + std::string(a), b)) __builtin_trap();
  if (is_newer_version(a, b) && is_newer_version(b, c) && !is_newer_version(a, c)) __builtin_trap();
  for (const std::uint32_t number : zentomi::version_numbers(a)) {
    if (a.find(std::to_string(number)) == std::string_view::npos && number != 0) __builtin_trap();
  }
  return 0;
}
