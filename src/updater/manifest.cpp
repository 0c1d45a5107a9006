#include "updater/manifest.hpp"

#include <locale.h>

#include <clocale>
#include <cstdlib>
#include <set>
#include <string>

#include "json/json_reader.hpp"

namespace zentomi {
namespace {

// The number's nearest 32-bit value, rounding beyond the largest finite one to infinity; read the
// same whatever locale the process has chosen.
float nearest_float(std::string_view number) {
  static const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string terminated(number);
  return ::strtof_l(terminated.c_str(), nullptr, c_locale);
}

bool read_size(JsonReader& reader, float& size_mb) {
  const std::optional<std::string_view> number = reader.read_number();
  if (!number) return false;
  size_mb = nearest_float(*number);
  return true;
}

bool read_string_or_null(JsonReader& reader, std::optional<std::string>& field) {
  if (reader.read_literal("null")) {
    field.reset();
    return true;
  }
  field = reader.read_string();
  return field.has_value();
}

bool read_text(JsonReader& reader, std::optional<std::string>& field) {
  field = reader.read_string();
  return field.has_value();
}

// Optional, and never a reason to refuse the manifest: a value that is not text is kept as "",
// which no origin check accepts.
bool read_site_origin(JsonReader& reader, std::optional<std::string>& field) {
  if (reader.peek() == '"') return read_text(reader, field);
  field = std::string();
  return reader.skip_value();
}

struct Fields {
  std::optional<std::string> version;
  std::optional<std::string> name;
  std::optional<std::string> changelog;
  std::optional<std::string> download_url;
  float size_mb = 0.0f;
  std::optional<std::string> sha256;
  std::optional<std::string> signature;
  std::optional<std::string> site_origin;

  std::optional<OtaManifest> manifest() && {
    if (!version || !name || !changelog || !download_url) return std::nullopt;
    return OtaManifest{std::move(*version),
                       std::move(*name),
                       std::move(*changelog),
                       std::move(*download_url),
                       size_mb,
                       std::move(sha256),
                       std::move(signature),
                       std::move(site_origin)};
  }
};

bool is_field_name(std::string_view key) {
  for (const std::string_view name :
       {"version", "name", "changelog", "download_url", "size_mb", "sha256", "signature"}) {
    if (key == name) return true;
  }
  return false;
}

bool read_member(JsonReader& reader, const std::string& key, Fields& fields) {
  if (key == "version") return read_text(reader, fields.version);
  if (key == "name") return read_text(reader, fields.name);
  if (key == "changelog") return read_text(reader, fields.changelog);
  if (key == "download_url") return read_text(reader, fields.download_url);
  if (key == "size_mb") return read_size(reader, fields.size_mb);
  if (key == "sha256") return read_string_or_null(reader, fields.sha256);
  if (key == "signature") return read_string_or_null(reader, fields.signature);
  if (key == "site_origin") return read_site_origin(reader, fields.site_origin);
  return reader.skip_value();
}

// After the opening brace.
bool read_object(JsonReader& reader, Fields& fields) {
  if (reader.consume('}')) return true;
  // A field given twice makes the manifest invalid; other members may repeat, each one skipped.
  std::set<std::string> seen;
  while (true) {
    std::optional<std::string> key = reader.read_string();
    if (!key || (is_field_name(*key) && !seen.insert(*key).second)) return false;
    if (!reader.consume(':')) return false;
    if (!read_member(reader, *key, fields)) return false;
    if (reader.consume('}')) return true;
    if (!reader.consume(',')) return false;
  }
}

// After the opening bracket: the values in field order, the last two optional.
bool read_array(JsonReader& reader, Fields& fields) {
  static constexpr const char* FIELD_ORDER[] = {"version",      "name",    "changelog",
                                                "download_url", "size_mb", "sha256"};
  constexpr std::size_t REQUIRED = 4;
  constexpr std::size_t MOST = std::size(FIELD_ORDER);
  std::size_t count = 0;
  if (!reader.consume(']')) {
    while (true) {
      if (count == MOST) return false;
      if (!read_member(reader, FIELD_ORDER[count], fields)) return false;
      ++count;
      if (reader.consume(']')) break;
      if (!reader.consume(',')) return false;
    }
  }
  return count >= REQUIRED;
}

}  // namespace

std::optional<OtaManifest> parse_manifest(std::string_view text) {
  JsonReader reader(text);
  Fields fields;
  bool read = false;
  if (reader.consume('{')) {
    read = read_object(reader, fields);
  } else if (reader.consume('[')) {
    read = read_array(reader, fields);
  }
  if (!read) return std::nullopt;
  if (!reader.at_end()) return std::nullopt;
  return std::move(fields).manifest();
}

}  // namespace zentomi
