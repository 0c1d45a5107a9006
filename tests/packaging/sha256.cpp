#include "packaging/sha256.hpp"

#include <openssl/evp.h>

#include <array>
#include <stdexcept>

namespace zentomi::testing {

std::string sha256_hex(std::string_view bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
    throw std::runtime_error("EVP_Digest failed");
  constexpr std::string_view DIGITS = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += DIGITS[digest[i] >> 4];
    hex += DIGITS[digest[i] & 0xF];
  }
  return hex;
}

}  // namespace zentomi::testing
