#include "updater/manifest.hpp"

#include <locale.h>

#include <clocale>
#include <cstdlib>
#include <set>
#include <string>

#include "updater/json_scanner.hpp"

namespace zentomi {
namespace {

// The number's nearest 32-bit value, rounding beyond the largest finite one to infinity; read the
// same whatever locale the process has chosen.
float nearest_float(std::string_view number) {
  static const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string terminated(number);
  return ::strtof_l(terminated.c_str(), nullptr, c_locale);
}

bool read_size(JsonScanner& scanner, float& size_mb) {
  const std::optional<std::string_view> number = scanner.read_number();
  if (!number) return false;
  size_mb = nearest_float(*number);
  return true;
}

bool read_string_or_null(JsonScanner& scanner, std::optional<std::string>& field) {
  if (scanner.consume_literal("null")) {
    field.reset();
    return true;
  }
  field = scanner.read_string();
  return field.has_value();
}

bool read_text(JsonScanner& scanner, std::optional<std::string>& field) {
  field = scanner.read_string();
  return field.has_value();
}

struct Fields {
  std::optional<std::string> version;
  std::optional<std::string> name;
  std::optional<std::string> changelog;
  std::optional<std::string> download_url;
  float size_mb = 0.0f;
  std::optional<std::string> sha256;
  std::optional<std::string> signature;

  std::optional<OtaManifest> manifest() && {
    if (!version || !name || !changelog || !download_url) return std::nullopt;
    return OtaManifest{std::move(*version),      std::move(*name), std::move(*changelog),
                       std::move(*download_url), size_mb,          std::move(sha256),
                       std::move(signature)};
  }
};

bool read_member(JsonScanner& scanner, const std::string& key, Fields& fields) {
  if (key == "version") return read_text(scanner, fields.version);
  if (key == "name") return read_text(scanner, fields.name);
  if (key == "changelog") return read_text(scanner, fields.changelog);
  if (key == "download_url") return read_text(scanner, fields.download_url);
  if (key == "size_mb") return read_size(scanner, fields.size_mb);
  if (key == "sha256") return read_string_or_null(scanner, fields.sha256);
  if (key == "signature") return read_string_or_null(scanner, fields.signature);
  return scanner.skip_value();
}

// After the opening brace.
bool read_object(JsonScanner& scanner, Fields& fields) {
  scanner.skip_white_space();
  if (scanner.consume('}')) return true;
  std::set<std::string> seen;
  while (true) {
    scanner.skip_white_space();
    std::optional<std::string> key = scanner.read_string();
    if (!key || !seen.insert(*key).second) return false;
    scanner.skip_white_space();
    if (!scanner.consume(':')) return false;
    scanner.skip_white_space();
    if (!read_member(scanner, *key, fields)) return false;
    scanner.skip_white_space();
    if (scanner.consume('}')) return true;
    if (!scanner.consume(',')) return false;
  }
}

// After the opening bracket: the values in field order, the last two optional.
bool read_array(JsonScanner& scanner, Fields& fields) {
  static constexpr const char* FIELD_ORDER[] = {"version",      "name",    "changelog",
                                                "download_url", "size_mb", "sha256"};
  constexpr std::size_t REQUIRED = 4;
  constexpr std::size_t MOST = std::size(FIELD_ORDER);
  scanner.skip_white_space();
  std::size_t count = 0;
  if (!scanner.consume(']')) {
    while (true) {
      if (count == MOST) return false;
      scanner.skip_white_space();
      if (!read_member(scanner, FIELD_ORDER[count], fields)) return false;
      ++count;
      scanner.skip_white_space();
      if (scanner.consume(']')) break;
      if (!scanner.consume(',')) return false;
    }
  }
  return count >= REQUIRED;
}

}  // namespace

std::optional<OtaManifest> parse_manifest(std::string_view text) {
  JsonScanner scanner(text);
  Fields fields;
  scanner.skip_white_space();
  bool read = false;
  if (scanner.consume('{')) {
    read = read_object(scanner, fields);
  } else if (scanner.consume('[')) {
    read = read_array(scanner, fields);
  }
  if (!read) return std::nullopt;
  scanner.skip_white_space();
  if (!scanner.at_end()) return std::nullopt;
  return std::move(fields).manifest();
}

}  // namespace zentomi
