#include "updater/json_scanner.hpp"

#include <vector>

#include "unicode/utf8.hpp"

namespace zentomi {

void JsonScanner::skip_white_space() {
  while (position_ < text_.size()) {
    const char c = text_[position_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
    ++position_;
  }
}

bool JsonScanner::consume(char c) {
  if (!next_is(c)) return false;
  ++position_;
  return true;
}

bool JsonScanner::consume_literal(std::string_view literal) {
  if (!text_.substr(position_).starts_with(literal)) return false;
  position_ += literal.size();
  return true;
}

std::optional<std::string> JsonScanner::read_string() {
  std::string decoded;
  if (!scan_string(&decoded)) return std::nullopt;
  return decoded;
}

bool JsonScanner::scan_hex_unit(unsigned& unit) {
  if (text_.size() - position_ < 4) return false;
  unit = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = text_[position_++];
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    unit = unit * 16 + digit;
  }
  return true;
}

// With `decoded` null the string is only checked, and surrogate escapes are not paired.
bool JsonScanner::scan_string(std::string* decoded) {
  if (!consume('"')) return false;
  while (position_ < text_.size()) {
    const auto c = static_cast<unsigned char>(text_[position_++]);
    if (c == '"') return true;
    if (c < 0x20) return false;
    if (c != '\\') {
      if (decoded) decoded->push_back(static_cast<char>(c));
      continue;
    }
    if (position_ == text_.size()) return false;
    const char escape = text_[position_++];
    char plain = 0;
    switch (escape) {
      case '"':
      case '\\':
      case '/':
        plain = escape;
        break;
      case 'b':
        plain = '\b';
        break;
      case 'f':
        plain = '\f';
        break;
      case 'n':
        plain = '\n';
        break;
      case 'r':
        plain = '\r';
        break;
      case 't':
        plain = '\t';
        break;
      case 'u':
        break;
      default:
        return false;
    }
    if (escape != 'u') {
      if (decoded) decoded->push_back(plain);
      continue;
    }
    unsigned unit = 0;
    if (!scan_hex_unit(unit)) return false;
    if (!decoded) continue;
    char32_t code_point = unit;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      unsigned low = 0;
      if (!consume_literal("\\u") || !scan_hex_unit(low) || low < 0xDC00 || low > 0xDFFF)
        return false;
      code_point = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    unicode::append_utf8(*decoded, code_point);
  }
  return false;
}

bool JsonScanner::scan_digits() {
  const std::size_t start = position_;
  while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9')
    ++position_;
  return position_ > start;
}

std::optional<std::string_view> JsonScanner::read_number() {
  const std::size_t start = position_;
  consume('-');
  if (!consume('0') && !(position_ < text_.size() && text_[position_] >= '1' &&
                         text_[position_] <= '9' && scan_digits())) {
    return std::nullopt;
  }
  if (consume('.') && !scan_digits()) return std::nullopt;
  if (consume('e') || consume('E')) {
    if (!consume('+')) consume('-');
    if (!scan_digits()) return std::nullopt;
  }
  return text_.substr(start, position_ - start);
}

// Iterative, so nesting depth is bounded by the text alone and never by the stack.
bool JsonScanner::skip_value() {
  std::vector<char> open;  // '{' or '[' for every container not yet closed
  while (true) {
    skip_white_space();
    if (consume('{')) {
      skip_white_space();
      if (!consume('}')) {
        open.push_back('{');
        skip_white_space();
        if (!scan_string(nullptr)) return false;
        skip_white_space();
        if (!consume(':')) return false;
        continue;
      }
    } else if (consume('[')) {
      skip_white_space();
      if (!consume(']')) {
        open.push_back('[');
        continue;
      }
    } else if (next_is('"')) {
      if (!scan_string(nullptr)) return false;
    } else if (next_is('-') ||
               (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9')) {
      if (!read_number()) return false;
    } else if (!consume_literal("true") && !consume_literal("false") && !consume_literal("null")) {
      return false;
    }
    // A value is complete: close what it completes, or go on to the next element or member.
    while (true) {
      if (open.empty()) return true;
      skip_white_space();
      if (consume(',')) {
        if (open.back() == '{') {
          skip_white_space();
          if (!scan_string(nullptr)) return false;
          skip_white_space();
          if (!consume(':')) return false;
        }
        break;
      }
      if (!consume(open.back() == '{' ? '}' : ']')) return false;
      open.pop_back();
    }
  }
}

}  // namespace zentomi
