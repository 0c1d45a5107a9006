#include "updater/package_verification.hpp"

#include <sodium.h>

#include <array>
#include <cstdint>
#include <vector>

namespace zentomi {
namespace {

// libsodium's functions are usable once this has run; it is cheap and safe to repeat on any thread.
bool sodium_ready() {
  return sodium_init() >= 0;
}

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
  std::vector<unsigned char> bytes(text.size() / 4 * 3);
  std::size_t written = 0;
  const char* end = nullptr;
  if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &written,
                        &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      end != text.data() + text.size()) {
    return std::nullopt;
  }
  bytes.resize(written);
  return bytes;
}

}  // namespace

std::optional<std::string> file_sha256_hex(FileSystem& files, const std::string& path) {
  crypto_hash_sha256_state state{};
  if (!sodium_ready() || crypto_hash_sha256_init(&state) != 0) return std::nullopt;
  bool hashed = true;
  const auto read = files.read_pieces(path, [&state, &hashed](std::string_view piece) {
    hashed = hashed &&
             crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(piece.data()),
                                       static_cast<unsigned long long>(piece.size())) == 0;
  });
  if (!read || !hashed) return std::nullopt;
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  if (crypto_hash_sha256_final(&state, digest.data()) != 0) return std::nullopt;
  return lowercase_hex(digest.data(), digest.size());
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
  if (!raw_key || raw_key->size() != crypto_sign_PUBLICKEYBYTES || !signature ||
      signature->size() != crypto_sign_BYTES) {
    return false;
  }
  if (!sodium_ready()) return false;
  const std::string text = signed_update_text(version, package_sha256_hex);
  return crypto_sign_verify_detached(signature->data(),
                                     reinterpret_cast<const unsigned char*>(text.data()),
                                     text.size(), raw_key->data()) == 0;
}

std::optional<std::string> verify_package(FileSystem& files, const OtaManifest& manifest,
                                          const std::string& package,
                                          std::string_view pinned_public_key_base64) {
  const bool signature_required = !pinned_public_key_base64.empty();
  if (!manifest.sha256 && !signature_required) return std::nullopt;
  const std::optional<std::string> digest = file_sha256_hex(files, package);
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
