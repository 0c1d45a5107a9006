#include "json/json_reader.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "unicode/ascii.hpp"
#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

std::optional<char32_t> hex_digit(char c) {
  if (c >= '0' && c <= '9') return static_cast<char32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<char32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<char32_t>(c - 'A' + 10);
  return std::nullopt;
}

// The four hex digits at `position`, which is advanced past them.
std::optional<char32_t> read_hex4(std::string_view text, std::size_t& position) {
  if (text.size() - position < 4) return std::nullopt;
  char32_t unit = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto digit = hex_digit(text[position + i]);
    if (!digit) return std::nullopt;
    unit = unit * 16 + *digit;
  }
  position += 4;
  return unit;
}

std::optional<char> simple_escape(char c) {
  switch (c) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case '/':
      return '/';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return std::nullopt;
  }
}

}  // namespace

void JsonReader::skip_white_space() {
  while (position_ < text_.size()) {
    const char c = text_[position_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
    ++position_;
  }
}

std::optional<char> JsonReader::peek() {
  skip_white_space();
  if (position_ >= text_.size()) return std::nullopt;
  return text_[position_];
}

bool JsonReader::consume(char c) {
  if (peek() != c) return false;
  ++position_;
  return true;
}

bool JsonReader::at_end() {
  return !peek().has_value();
}

bool JsonReader::read_literal(std::string_view word) {
  skip_white_space();
  if (!text_.substr(position_).starts_with(word)) return false;
  position_ += word.size();
  return true;
}

std::optional<std::string_view> JsonReader::read_number() {
  skip_white_space();
  const std::size_t start = position_;
  const auto digits = [&] {
    const std::size_t first = position_;
    while (position_ < text_.size() && unicode::is_ascii_digit(text_[position_]))
      ++position_;
    return position_ - first;
  };
  const auto next_is = [&](char c) { return position_ < text_.size() && text_[position_] == c; };

  if (next_is('-')) ++position_;
  if (next_is('0')) {
    ++position_;
  } else if (digits() == 0) {
    return std::nullopt;
  }
  if (next_is('.')) {
    ++position_;
    if (digits() == 0) return std::nullopt;
  }
  if (next_is('e') || next_is('E')) {
    ++position_;
    if (next_is('+') || next_is('-')) ++position_;
    if (digits() == 0) return std::nullopt;
  }
  return text_.substr(start, position_ - start);
}

std::optional<std::string> JsonReader::read_string() {
  std::string out;
  if (!pass_string(LoneSurrogates::Refused, &out)) return std::nullopt;
  return out;
}

std::optional<std::string> JsonReader::read_name() {
  std::string out;
  if (!pass_string(LoneSurrogates::Replaced, &out)) return std::nullopt;
  return out;
}

bool JsonReader::pass_string(LoneSurrogates lone, std::string* out) {
  if (!consume('"')) return false;
  while (position_ < text_.size()) {
    const char c = text_[position_++];
    if (c == '"') return true;
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (c != '\\') {
      if (out) out->push_back(c);
      continue;
    }
    if (position_ >= text_.size()) return false;
    const char escape = text_[position_++];
    if (const auto plain = simple_escape(escape)) {
      if (out) out->push_back(*plain);
      continue;
    }
    if (escape != 'u') return false;
    const auto unit = read_hex4(text_, position_);
    if (!unit) return false;
    // Passed: every escape is read on its own, so the one after a surrogate keeps the grammar.
    if (lone == LoneSurrogates::Passed) continue;
    char32_t code_point = *unit;
    bool alone = *unit >= 0xDC00 && *unit <= 0xDFFF;
    if (*unit >= 0xD800 && *unit <= 0xDBFF) {
      // A pair when a low surrogate's escape follows; otherwise the high one is alone, and
      // whatever follows is read as it comes (and still has to be a well-formed escape).
      std::size_t after = position_;
      std::optional<char32_t> low;
      if (text_.substr(after).starts_with("\\u")) {
        after += 2;
        low = read_hex4(text_, after);
      }
      alone = !low || *low < 0xDC00 || *low > 0xDFFF;
      if (!alone) {
        code_point = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
        position_ = after;
      }
    }
    if (alone) {
      if (lone == LoneSurrogates::Refused) return false;
      code_point = 0xFFFD;
    }
    if (out) unicode::append_utf8(*out, code_point);
  }
  return false;
}

bool JsonReader::pass_value(bool checked) {
  // The containers still open, innermost last: '{' or '['.
  std::string open;
  const LoneSurrogates lone = checked ? LoneSurrogates::Refused : LoneSurrogates::Passed;
  const auto pass_key = [&] { return pass_string(lone, nullptr) && consume(':'); };
  while (true) {
    const std::optional<char> next = peek();
    if (!next) return false;
    bool complete = true;
    switch (*next) {
      case '{':
        ++position_;
        if (!consume('}')) {
          open.push_back('{');
          if (!pass_key()) return false;
          complete = false;
        }
        break;
      case '[':
        ++position_;
        if (!consume(']')) {
          open.push_back('[');
          complete = false;
        }
        break;
      case '"':
        if (!pass_string(lone, nullptr)) return false;
        break;
      case 't':
        if (!read_literal("true")) return false;
        break;
      case 'f':
        if (!read_literal("false")) return false;
        break;
      case 'n':
        if (!read_literal("null")) return false;
        break;
      default: {
        const auto number = read_number();
        if (!number) return false;
        if (checked && !is_json_integer(*number) && !json_number_value(*number)) return false;
      }
    }
    if (!complete) continue;
    // A value ended: close every container that ends with it, or move on to the next element.
    while (true) {
      if (open.empty()) return true;
      if (consume(',')) {
        if (open.back() == '{' && !pass_key()) return false;
        break;
      }
      if (!consume(open.back() == '{' ? '}' : ']')) return false;
      open.pop_back();
    }
  }
}

bool is_json_integer(std::string_view number) {
  return number.find_first_of(".eE") == std::string_view::npos;
}

std::optional<double> json_number_value(std::string_view number) {
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc() && end == number.data() + number.size()) return value;
  if (error != std::errc::result_out_of_range) return std::nullopt;

  // Out of range either way: the decimal order of magnitude says whether it overflowed.
  const bool negative = number.starts_with('-');
  const std::size_t exponent_at = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, exponent_at);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first_significant = mantissa.find_first_of("123456789");
  if (first_significant == std::string_view::npos) return negative ? -0.0 : 0.0;
  std::int64_t order =
      static_cast<std::int64_t>(point) - static_cast<std::int64_t>(first_significant);
  if (exponent_at != std::string_view::npos) {
    std::string_view exponent = number.substr(exponent_at + 1);
    const bool exponent_negative = exponent.starts_with('-');
    if (exponent.starts_with('-') || exponent.starts_with('+')) exponent.remove_prefix(1);
    std::int64_t magnitude = 0;
    for (const char digit : exponent)
      magnitude = std::min<std::int64_t>(magnitude * 10 + (digit - '0'), 1'000'000'000);
    order += exponent_negative ? -magnitude : magnitude;
  }
  if (order > 0) return std::nullopt;
  return negative ? -0.0 : 0.0;
}

std::string shortest_float_text(double value) {
  // Scientific notation gives the shortest round-trip digits and the first digit's exponent.
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::scientific);
  if (error != std::errc()) return {};
  std::string_view scientific(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
  std::string out;
  if (scientific.starts_with('-')) {
    out.push_back('-');
    scientific.remove_prefix(1);
  }
  const std::size_t e = scientific.find('e');
  if (e == std::string_view::npos) return std::string(scientific);  // inf or nan
  std::string digits;
  for (const char c : scientific.substr(0, e))
    if (c != '.') digits.push_back(c);
  int exponent = 0;
  std::string_view exponent_text = scientific.substr(e + 1);
  if (exponent_text.starts_with('+')) exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);

  const int length = static_cast<int>(digits.size());
  const int point = exponent + 1;  // digits before the decimal point
  if (point >= length && point <= 16) {
    out += digits;
    out.append(static_cast<std::size_t>(point - length), '0');
    out += ".0";
  } else if (point > 0 && point <= 16) {
    out += digits.substr(0, static_cast<std::size_t>(point));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(point));
  } else if (point > -5 && point <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-point), '0');
    out += digits;
  } else {
    out += digits.front();
    if (length > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'e';
    out += std::to_string(exponent);
  }
  return out;
}

}  // namespace zentomi
