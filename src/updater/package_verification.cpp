#include "updater/package_verification.hpp"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

namespace zentomi {
namespace {

constexpr std::size_t ED25519_KEY_SIZE = 32;
constexpr std::size_t ED25519_SIGNATURE_SIZE = 64;

struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;
struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
struct EncodeContextFree {
  void operator()(EVP_ENCODE_CTX* context) const { EVP_ENCODE_CTX_free(context); }
};

std::string lowercase_hex(const unsigned char* bytes, std::size_t size) {
  static constexpr char HEX[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    text += HEX[bytes[i] >> 4];
    text += HEX[bytes[i] & 0xF];
  }
  return text;
}

bool same_hex(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(left[i]) != lower(right[i])) return false;
  }
  return true;
}

// Standard base64 with its padding; nothing when malformed.
std::optional<std::vector<unsigned char>> decode_base64(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0 || text.size() > 1024) return std::nullopt;
  std::unique_ptr<EVP_ENCODE_CTX, EncodeContextFree> context(EVP_ENCODE_CTX_new());
  if (!context) return std::nullopt;
  std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3);
  EVP_DecodeInit(context.get());
  int written = 0;
  if (EVP_DecodeUpdate(context.get(), bytes.data(), &written,
                       reinterpret_cast<const unsigned char*>(text.data()),
                       static_cast<int>(text.size())) < 0) {
    return std::nullopt;
  }
  int final_written = 0;
  if (EVP_DecodeFinal(context.get(), bytes.data() + written, &final_written) != 1)
    return std::nullopt;
  bytes.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(final_written));
  return bytes;
}

}  // namespace

std::optional<std::string> file_sha256_hex(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  const DigestContext context(EVP_MD_CTX_new());
  if (!file || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
    return std::nullopt;
  std::vector<char> chunk(1 << 16);
  while (file) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::streamsize got = file.gcount();
    if (got > 0 &&
        EVP_DigestUpdate(context.get(), chunk.data(), static_cast<std::size_t>(got)) != 1)
      return std::nullopt;
  }
  if (file.bad()) return std::nullopt;
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int digest_size = 0;
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &digest_size) != 1) return std::nullopt;
  return lowercase_hex(digest.data(), digest_size);
}

std::string signed_update_text(std::string_view version, std::string_view package_sha256_hex) {
  std::string text = "zentomi-update\n";
  text.append(version).append("\n").append(package_sha256_hex);
  return text;
}

bool is_valid_update_signature(std::string_view public_key_base64,
                               std::string_view signature_base64, std::string_view version,
                               std::string_view package_sha256_hex) {
  const auto raw_key = decode_base64(public_key_base64);
  const auto signature = decode_base64(signature_base64);
  if (!raw_key || raw_key->size() != ED25519_KEY_SIZE || !signature ||
      signature->size() != ED25519_SIGNATURE_SIZE) {
    return false;
  }
  const Key key(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, raw_key->data(), raw_key->size()));
  const DigestContext context(EVP_MD_CTX_new());
  if (!key || !context ||
      EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
    return false;
  }
  const std::string text = signed_update_text(version, package_sha256_hex);
  return EVP_DigestVerify(context.get(), signature->data(), signature->size(),
                          reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1;
}

std::optional<std::string> verify_package(const OtaManifest& manifest,
                                          const std::filesystem::path& package,
                                          std::string_view pinned_public_key_base64) {
  const bool signature_required = !pinned_public_key_base64.empty();
  if (!manifest.sha256 && !signature_required) return std::nullopt;
  const std::optional<std::string> digest = file_sha256_hex(package);
  if (manifest.sha256 && (!digest || !same_hex(*digest, *manifest.sha256)))
    return "Update package checksum mismatch";
  if (signature_required &&
      (!digest || !manifest.signature ||
       !is_valid_update_signature(pinned_public_key_base64, *manifest.signature, manifest.version,
                                  *digest))) {
    return "Update package signature invalid";
  }
  return std::nullopt;
}

}  // namespace zentomi
