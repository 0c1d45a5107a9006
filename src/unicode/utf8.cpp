#include "unicode/utf8.hpp"

namespace zentomi::unicode {
namespace {

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the sequence led by `first`, 0 when it cannot lead one.
std::size_t sequence_length(unsigned char first) {
  if (first < 0x80) return 1;
  if (first >= 0xC2 && first <= 0xDF) return 2;
  if (first >= 0xE0 && first <= 0xEF) return 3;
  if (first >= 0xF0 && first <= 0xF4) return 4;
  return 0;
}

// The allowed range of the second byte narrows for overlongs, surrogates and values past U+10FFFF.
bool second_byte_ok(unsigned char first, unsigned char second) {
  switch (first) {
    case 0xE0:
      return second >= 0xA0 && second <= 0xBF;
    case 0xED:
      return second >= 0x80 && second <= 0x9F;
    case 0xF0:
      return second >= 0x90 && second <= 0xBF;
    case 0xF4:
      return second >= 0x80 && second <= 0x8F;
    default:
      return is_continuation(second);
  }
}

struct Step {
  std::size_t length = 0;  // bytes consumed
  bool valid = false;
  bool truncated = false;  // the input ended inside the sequence
  char32_t code_point = REPLACEMENT_CHARACTER;
};

Step step_at(std::string_view bytes, std::size_t position) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[position + i]); };
  const std::size_t available = bytes.size() - position;
  const unsigned char first = byte(0);
  const std::size_t length = sequence_length(first);
  if (length == 1) return {1, true, false, first};
  if (length == 0) return {1, false, false};
  if (available < 2) return {1, false, true};
  if (!second_byte_ok(first, byte(1))) return {1, false, false};
  for (std::size_t i = 2; i < length; ++i) {
    if (available <= i) return {i, false, true};
    if (!is_continuation(byte(i))) return {i, false, false};
  }
  char32_t code_point = first & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i)
    code_point = (code_point << 6) | (byte(i) & 0x3F);
  return {length, true, false, code_point};
}

}  // namespace

std::optional<Utf8Error> validate_utf8(std::string_view bytes) {
  std::size_t position = 0;
  while (position < bytes.size()) {
    if (static_cast<unsigned char>(bytes[position]) < 0x80) {
      ++position;
      continue;
    }
    const Step step = step_at(bytes, position);
    if (!step.valid) {
      Utf8Error error{position, std::nullopt};
      if (!step.truncated) error.error_length = step.length;
      return error;
    }
    position += step.length;
  }
  return std::nullopt;
}

char32_t decode_next(std::string_view bytes, std::size_t& position) {
  if (position >= bytes.size()) return REPLACEMENT_CHARACTER;
  const Step step = step_at(bytes, position);
  position += step.length;
  return step.valid ? step.code_point : REPLACEMENT_CHARACTER;
}

std::string sanitize_utf8(std::string_view bytes) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 8);
  std::size_t position = 0;
  while (position < bytes.size())
    append_utf8(out, decode_next(bytes, position));
  return out;
}

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    code_point = REPLACEMENT_CHARACTER;
  }
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

}  // namespace zentomi::unicode
