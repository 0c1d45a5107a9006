#pragma once

#include <string>
#include <string_view>

namespace zentomi::testing {

// Lowercase hexadecimal SHA-256 of the bytes, through libcrypto.
std::string sha256_hex(std::string_view bytes);

}  // namespace zentomi::testing
