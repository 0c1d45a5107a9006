#pragma once

#include <openssl/evp.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi::testing {

// A fresh Ed25519 key pair, made by libcrypto for one test.
class SigningKey {
 public:
  SigningKey() : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free) {}

  // The raw public key, base64.
  std::string public_key_base64() const {
    std::vector<unsigned char> raw(32);
    std::size_t size = raw.size();
    if (!key_ || EVP_PKEY_get_raw_public_key(key_.get(), raw.data(), &size) != 1) return {};
    return base64(raw.data(), size);
  }

  std::string sign_base64(std::string_view text) const {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    &EVP_MD_CTX_free);
    std::vector<unsigned char> signature(64);
    std::size_t size = signature.size();
    if (!key_ || !context ||
        EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get()) != 1 ||
        EVP_DigestSign(context.get(), signature.data(), &size,
                       reinterpret_cast<const unsigned char*>(text.data()), text.size()) != 1) {
      return {};
    }
    return base64(signature.data(), size);
  }

 private:
  static std::string base64(const unsigned char* bytes, std::size_t size) {
    std::string text(4 * ((size + 2) / 3) + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes,
                                        static_cast<int>(size));
    text.resize(static_cast<std::size_t>(written));
    return text;
  }

  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_{nullptr, &EVP_PKEY_free};
};

}  // namespace zentomi::testing
