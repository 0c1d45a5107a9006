// parse_views: the view counts the site prints ("12,345", "1.234.567", "1.2K", "3M").
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "storage/ordering.hpp"
#include "unicode/ascii.hpp"
#include "unicode/case_mapping.hpp"
#include "unicode/white_space.hpp"

namespace zentomi {
namespace {

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t index = 0; index < text.size(); ++index) {
    char c = text[index];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[index]) return false;
  }
  return true;
}

std::size_t count_digits(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && unicode::is_ascii_digit(text[end]))
    ++end;
  return end - from;
}

// The power of ten of the first significant digit of a well-formed unsigned decimal (digits,
// optional point, optional exponent), saturated; the lowest value when every digit is zero.
std::int64_t decimal_order(std::string_view text) {
  constexpr std::int64_t LIMIT = 1'000'000'000'000;
  std::int64_t order = std::numeric_limits<std::int64_t>::min();
  std::int64_t place = static_cast<std::int64_t>(count_digits(text, 0)) - 1;
  std::size_t index = 0;
  for (; index < text.size() && text[index] != 'e' && text[index] != 'E'; ++index) {
    if (text[index] == '.') continue;
    if (text[index] != '0') {
      order = place;
      break;
    }
    --place;
  }
  if (order == std::numeric_limits<std::int64_t>::min()) return order;
  const std::size_t exponent_at = text.find_first_of("eE");
  if (exponent_at == std::string_view::npos) return order;
  std::string_view exponent = text.substr(exponent_at + 1);
  const bool negative = exponent.starts_with('-');
  if (exponent.starts_with('-') || exponent.starts_with('+')) exponent.remove_prefix(1);
  std::int64_t value = 0;
  for (const char digit : exponent) {
    value = std::min(LIMIT, value * 10 + (digit - '0'));
  }
  return order + (negative ? -value : value);
}

// A decimal floating-point number: optional sign, digits with an optional point (at least one
// digit), optional exponent; or inf, infinity, nan in any case. Nothing else, no blanks.
std::optional<double> parse_float(std::string_view text) {
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  double magnitude = 0.0;
  if (equals_ignoring_ascii_case(text, "inf") || equals_ignoring_ascii_case(text, "infinity")) {
    magnitude = std::numeric_limits<double>::infinity();
  } else if (equals_ignoring_ascii_case(text, "nan")) {
    magnitude = std::numeric_limits<double>::quiet_NaN();
  } else {
    std::size_t index = 0;
    const std::size_t whole_digits = count_digits(text, index);
    index += whole_digits;
    std::size_t fraction_digits = 0;
    if (index < text.size() && text[index] == '.') {
      fraction_digits = count_digits(text, index + 1);
      index += 1 + fraction_digits;
    }
    if (whole_digits + fraction_digits == 0) return std::nullopt;
    if (index < text.size() && (text[index] == 'e' || text[index] == 'E')) {
      ++index;
      if (index < text.size() && (text[index] == '+' || text[index] == '-')) ++index;
      const std::size_t exponent_digits = count_digits(text, index);
      if (exponent_digits == 0) return std::nullopt;
      index += exponent_digits;
    }
    if (index != text.size()) return std::nullopt;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude,
                                               std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
      // Too large reads as infinity, too small as zero.
      magnitude = decimal_order(text) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc{} || stop != end) {
      return std::nullopt;
    }
  }
  return negative ? -magnitude : magnitude;
}

// Drops the fraction; negative and not-a-number give 0, too large gives the largest count.
std::uint64_t saturating_count(double value) {
  if (!(value >= 0.0)) return 0;
  if (value >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
  return static_cast<std::uint64_t>(value);
}

std::uint64_t scaled_count(std::string_view number, double factor) {
  const std::optional<double> value = parse_float(number);
  return value ? saturating_count(*value * factor) : 0;
}

// Digit groups separated by dots, as the site writes thousands: one to three digits, then groups of
// exactly three ("1.234.567", "45.001").
bool is_dotted_thousands(std::string_view text) {
  const std::size_t first = count_digits(text, 0);
  if (first == 0 || first > 3 || first == text.size()) return false;
  for (std::size_t at = first; at < text.size(); at += 4) {
    if (text[at] != '.' || count_digits(text, at + 1) != 3) return false;
  }
  return true;
}

// An optional "+" and one or more digits; 0 when anything else is there or the count overflows.
std::uint64_t plain_count(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() || count_digits(text, 0) != text.size()) return 0;
  std::uint64_t value = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || stop != text.data() + text.size()) return 0;
  return value;
}

}  // namespace

std::uint64_t parse_views(std::string_view text) {
  const std::string upper = unicode::to_upper(unicode::trim_white_space(text));
  if (upper.empty()) return 0;
  const std::string_view body = std::string_view(upper).substr(0, upper.size() - 1);
  if (upper.ends_with("K")) return scaled_count(body, 1000.0);
  if (upper.ends_with("M")) return scaled_count(body, 1000000.0);
  const bool dotted = is_dotted_thousands(upper);
  std::string digits;
  for (const char c : upper) {
    if (c != ',' && !(dotted && c == '.')) digits.push_back(c);
  }
  return plain_count(digits);
}

}  // namespace zentomi
