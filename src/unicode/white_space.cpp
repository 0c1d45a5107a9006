#include "unicode/white_space.hpp"

#include <unictype.h>

#include "unicode/utf8.hpp"

namespace zentomi::unicode {

bool is_white_space(char32_t code_point) {
  if (code_point < 0x80) return code_point == ' ' || (code_point >= 0x09 && code_point <= 0x0D);
  return uc_is_property_white_space(static_cast<ucs4_t>(code_point));
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t next = begin;
    const char32_t code_point = decode_next(text, next);
    // An ill-formed byte decodes to U+FFFD, which is not white space, so it is never trimmed.
    if (!is_white_space(code_point)) break;
    begin = next;
  }
  std::size_t end = text.size();
  while (end > begin) {
    // Step back to the start of the last code point: at most four bytes, skipping continuations.
    std::size_t start = end - 1;
    while (start > begin && end - start < 4 &&
           (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
      --start;
    }
    std::size_t next = start;
    const char32_t code_point = decode_next(text, next);
    if (next != end || !is_white_space(code_point)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

}  // namespace zentomi::unicode
