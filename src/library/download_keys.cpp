#include "library/download_keys.hpp"

#include <sodium.h>

#include <array>

namespace zentomi {
namespace {

constexpr std::string_view SITE_PREFIX = "/truyen-tranh/";
constexpr std::size_t HASH_HEX_DIGITS = 12;

bool is_plain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The first HASH_HEX_DIGITS hexadecimal digits of the text's SHA-256.
std::string short_hash(std::string_view text) {
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  // sodium_init is cheap and safe to repeat on any thread.
  if (sodium_init() < 0 ||
      crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(text.data()),
                         text.size()) != 0) {
    return std::string(HASH_HEX_DIGITS, '0');
  }
  constexpr std::string_view DIGITS = "0123456789abcdef";
  std::string hex;
  for (std::size_t index = 0; hex.size() < HASH_HEX_DIGITS; ++index) {
    hex += DIGITS[digest[index] >> 4];
    hex += DIGITS[digest[index] & 0x0f];
  }
  return hex;
}

}  // namespace

std::string_view site_path_rest(std::string_view url) {
  std::string_view path = url;
  if (const std::size_t scheme = path.find("://"); scheme != std::string_view::npos) {
    path.remove_prefix(scheme + 3);
    const std::size_t slash = path.find('/');
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash);
  }
  path = path.substr(0, path.find_first_of("?#"));
  while (path.ends_with('/'))
    path.remove_suffix(1);
  if (const std::size_t at = path.find(SITE_PREFIX); at != std::string_view::npos) {
    return path.substr(at + SITE_PREFIX.size());
  }
  while (path.starts_with('/'))
    path.remove_prefix(1);
  return path;
}

std::string safe_key(std::string_view text) {
  std::string key;
  bool changed = text.empty();
  for (const char c : text) {
    if (c >= 'A' && c <= 'Z') {
      key += static_cast<char>(c - 'A' + 'a');
      changed = true;
    } else if (is_plain(c)) {
      key += c;
    } else {
      key += '_';
      changed = true;
    }
  }
  const std::size_t room = MAX_KEY_BYTES - 1 - HASH_HEX_DIGITS;
  if (key.size() > MAX_KEY_BYTES) changed = true;
  if (!changed) return key;
  if (key.size() > room) key.resize(room);
  return key + "~" + short_hash(text);
}

std::string title_folder_key(std::string_view title_url) {
  return safe_key(site_path_rest(title_url));
}

std::string chapter_folder_key(std::string_view title_url, std::string_view chapter_url) {
  const std::string_view title = site_path_rest(title_url);
  std::string_view chapter = site_path_rest(chapter_url);
  if (!title.empty() && chapter.size() > title.size() && chapter.starts_with(title) &&
      chapter[title.size()] == '/') {
    chapter.remove_prefix(title.size() + 1);
  }
  return safe_key(chapter);
}

}  // namespace zentomi
