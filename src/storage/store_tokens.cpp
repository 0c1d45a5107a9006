#include "storage/store_tokens.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>
#include <vector>

namespace zentomi {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code unit of "\uXXXX" at `at` (the backslash), or -1 when it is not one.
long escaped_unit(std::string_view json, std::size_t at) {
  if (at + 6 > json.size() || json[at] != '\\' || json[at + 1] != 'u') return -1;
  long unit = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    const int digit = hex_value(json[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

bool is_high_surrogate(long unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low_surrogate(long unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

struct StringToken {
  std::size_t end = 0;  // past the closing quote
  bool closed = false;
  bool unpaired = false;  // holds an unpaired surrogate escape
};

StringToken scan_string(std::string_view json, std::size_t start) {
  StringToken token;
  std::size_t at = start + 1;
  while (at < json.size()) {
    const char c = json[at];
    if (c == '"') {
      token.end = at + 1;
      token.closed = true;
      return token;
    }
    if (c != '\\') {
      ++at;
      continue;
    }
    const long unit = escaped_unit(json, at);
    if (is_high_surrogate(unit) && is_low_surrogate(escaped_unit(json, at + 6))) {
      at += 12;
    } else {
      token.unpaired = token.unpaired || is_high_surrogate(unit) || is_low_surrogate(unit);
      at += 2;  // the rest of an escape never holds a quote or a backslash
    }
  }
  return token;
}

// The string with each unpaired surrogate escape replaced by \ufffd.
std::string repaired_name(std::string_view token) {
  std::string name;
  std::size_t at = 0;
  while (at < token.size()) {
    const long unit = escaped_unit(token, at);
    if (is_high_surrogate(unit) && is_low_surrogate(escaped_unit(token, at + 6))) {
      name.append(token.substr(at, 12));
      at += 12;
    } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
      name += "\\ufffd";
      at += 6;
    } else if (token[at] == '\\' && at + 1 < token.size()) {
      name.append(token.substr(at, 2));
      at += 2;
    } else {
      name += token[at++];
    }
  }
  return name;
}

// The end of the number token at `start` when it follows the JSON grammar exactly, else 0.
std::size_t number_end(std::string_view json, std::size_t start) {
  std::size_t at = start;
  const auto digits = [&] {
    const std::size_t first = at;
    while (at < json.size() && is_digit(json[at]))
      ++at;
    return at > first;
  };
  if (at < json.size() && json[at] == '-') ++at;
  if (at < json.size() && json[at] == '0') {
    ++at;
  } else if (!digits()) {
    return 0;
  }
  if (at < json.size() && json[at] == '.') {
    ++at;
    if (!digits()) return 0;
  }
  if (at < json.size() && (json[at] == 'e' || json[at] == 'E')) {
    ++at;
    if (at < json.size() && (json[at] == '+' || json[at] == '-')) ++at;
    if (!digits()) return 0;
  }
  return at;
}

// Whether the number (grammatical) is too large for a double. Too small ones read as 0 and the
// library takes them.
bool overflows(std::string_view number) {
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc::result_out_of_range) return false;
  // Out of range either way: overflow when the magnitude is at least 1, that is when the first
  // significant digit's power of ten is not negative.
  const std::size_t exponent_mark = std::min(number.find_first_of("eE"), number.size());
  const std::string_view mantissa = number.substr(0, exponent_mark);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  std::int64_t power = first < point ? static_cast<std::int64_t>(point - first) - 1
                                     : -static_cast<std::int64_t>(first - point);
  std::int64_t written = 0;
  for (std::size_t at = exponent_mark + 1; at < number.size(); ++at) {
    if (is_digit(number[at]) && written < 1'000'000'000)
      written = written * 10 + (number[at] - '0');
  }
  if (exponent_mark + 1 < number.size() && number[exponent_mark + 1] == '-') written = -written;
  power += written;
  return power >= 0;
}

}  // namespace

std::optional<std::string> neutralize_unreadable_tokens(std::string_view json) {
  std::string rewritten;
  std::size_t copied = 0;
  bool changed = false;
  const auto replace = [&](std::size_t start, std::size_t end, std::string_view by) {
    rewritten.append(json.substr(copied, start - copied));
    rewritten.append(by);
    copied = end;
    changed = true;
  };
  std::vector<char> open;  // the containers around the position, '{' or '['
  bool name_next = false;
  std::size_t at = 0;
  while (at < json.size()) {
    const char c = json[at];
    if (c == '{' || c == '[') {
      open.push_back(c);
      name_next = c == '{';
      ++at;
    } else if (c == '}' || c == ']') {
      if (!open.empty()) open.pop_back();
      name_next = false;
      ++at;
    } else if (c == ',') {
      name_next = !open.empty() && open.back() == '{';
      ++at;
    } else if (c == '"') {
      const StringToken token = scan_string(json, at);
      if (!token.closed) break;  // the library refuses the document anyway
      if (token.unpaired && !name_next) {
        replace(at, token.end, "-1");
      } else if (token.unpaired && open.size() >= 2) {
        replace(at, token.end, repaired_name(json.substr(at, token.end - at)));
      }
      name_next = false;
      at = token.end;
    } else if (c == '-' || is_digit(c)) {
      const std::size_t end = number_end(json, at);
      if (end == 0) break;
      if (overflows(json.substr(at, end - at))) replace(at, end, "-1");
      at = end;
    } else {
      ++at;
    }
  }
  if (!changed) return std::nullopt;
  rewritten.append(json.substr(copied));
  return rewritten;
}

}  // namespace zentomi
