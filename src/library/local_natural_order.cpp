#include "library/local_natural_order.hpp"

#include <cstddef>

#include "unicode/ascii.hpp"

namespace zentomi {
namespace {

using unicode::is_ascii_digit;

char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The run of digits at `position`, without its leading zeros; `position` moves past it.
std::string_view number_at(std::string_view text, std::size_t& position) {
  std::size_t start = position;
  while (position < text.size() && is_ascii_digit(text[position]))
    ++position;
  while (start + 1 < position && text[start] == '0')
    ++start;
  return text.substr(start, position - start);
}

// Negative, zero or positive as `left` sorts before, with or after `right`, bytes aside.
int natural_compare(std::string_view left, std::string_view right) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < left.size() && j < right.size()) {
    if (is_ascii_digit(left[i]) && is_ascii_digit(right[j])) {
      const std::string_view a = number_at(left, i);
      const std::string_view b = number_at(right, j);
      // Without leading zeros the longer run is the larger number, whatever its length.
      if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
      if (const int order = a.compare(b); order != 0) return order;
      continue;
    }
    const char a = ascii_lower(left[i]);
    const char b = ascii_lower(right[j]);
    if (a != b) return static_cast<unsigned char>(a) < static_cast<unsigned char>(b) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < left.size()) return 1;
  if (j < right.size()) return -1;
  return 0;
}

}  // namespace

bool natural_less(std::string_view left, std::string_view right) {
  if (const int order = natural_compare(left, right); order != 0) return order < 0;
  return left < right;
}

}  // namespace zentomi
