#pragma once

#include <string_view>

namespace zentomi::unicode {

// The Unicode White_Space property (tab to carriage return, space, U+0085, U+00A0, U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000).
bool is_white_space(char32_t code_point);

// The text without White_Space characters at either end (a view into the argument).
std::string_view trim_white_space(std::string_view text);

}  // namespace zentomi::unicode
