#include "updater/version.hpp"

#include <algorithm>
#include <limits>
#include <optional>

namespace zentomi {
namespace {

std::optional<std::uint32_t> piece_number(std::string_view piece) {
  if (piece.starts_with('+')) piece.remove_prefix(1);
  if (piece.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char digit : piece) {
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::vector<std::uint32_t> version_numbers(std::string_view version) {
  while (version.starts_with('v'))
    version.remove_prefix(1);
  std::vector<std::uint32_t> numbers;
  while (true) {
    const std::size_t dot = version.find('.');
    if (const auto number = piece_number(version.substr(0, dot))) numbers.push_back(*number);
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  return numbers;
}

bool is_newer_version(std::string_view remote, std::string_view current) {
  const std::vector<std::uint32_t> remote_numbers = version_numbers(remote);
  const std::vector<std::uint32_t> current_numbers = version_numbers(current);
  return std::lexicographical_compare(current_numbers.begin(), current_numbers.end(),
                                      remote_numbers.begin(), remote_numbers.end());
}

}  // namespace zentomi
