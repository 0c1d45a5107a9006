#pragma once

#include <string>
#include <string_view>

namespace zentomi::unicode {

// Full Unicode case mappings with context (a final capital sigma lowers to ς; ß uppers to SS).
// Ill-formed input is first made well-formed with U+FFFD.
std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);

}  // namespace zentomi::unicode
