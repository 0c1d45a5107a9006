#include "unicode/case_mapping.hpp"

#include <unicase.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "unicode/utf8.hpp"

namespace zentomi::unicode {
namespace {

using Mapping = uint8_t* (*)(const uint8_t*, size_t, const char*, uninorm_t, uint8_t*, size_t*);

std::string map_case(std::string_view text, Mapping mapping) {
  if (text.empty()) return {};
  const std::string clean = sanitize_utf8(text);
  std::size_t length = 0;
  // A null language selects the language-independent mappings.
  uint8_t* mapped = mapping(reinterpret_cast<const uint8_t*>(clean.data()), clean.size(), nullptr,
                            nullptr, nullptr, &length);
  if (mapped == nullptr) throw std::bad_alloc();  // the input is well-formed: only memory can fail
  const std::unique_ptr<uint8_t, decltype(&std::free)> owner(mapped, &std::free);
  return std::string(reinterpret_cast<const char*>(mapped), length);
}

}  // namespace

std::string to_lower(std::string_view text) {
  return map_case(text, &u8_tolower);
}
std::string to_upper(std::string_view text) {
  return map_case(text, &u8_toupper);
}

}  // namespace zentomi::unicode
