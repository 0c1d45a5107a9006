#include "nettruyen/html_text.hpp"

#include <array>
#include <utility>

#include "unicode/white_space.hpp"

namespace zentomi {

std::optional<std::size_t> find_from(std::string_view text, std::string_view needle,
                                     std::size_t from) {
  if (from > text.size()) return std::nullopt;
  const std::size_t found = text.find(needle, from);
  if (found == std::string_view::npos) return std::nullopt;
  return found;
}

std::optional<std::size_t> find_from(std::string_view text, char needle, std::size_t from) {
  if (from >= text.size()) return std::nullopt;
  const std::size_t found = text.find(needle, from);
  if (found == std::string_view::npos) return std::nullopt;
  return found;
}

bool contains(std::string_view text, std::string_view needle) {
  return text.find(needle) != std::string_view::npos;
}

std::optional<std::string_view> text_between(std::string_view text, std::string_view open,
                                             std::string_view close, std::size_t from) {
  const std::optional<std::size_t> opened = find_from(text, open, from);
  if (!opened) return std::nullopt;
  const std::size_t start = *opened + open.size();
  const std::optional<std::size_t> closed = find_from(text, close, start);
  if (!closed) return std::nullopt;
  return text.substr(start, *closed - start);
}

std::vector<std::string_view> split_at(std::string_view text, std::string_view marker) {
  if (marker.empty()) return {text};
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (const std::optional<std::size_t> found = find_from(text, marker, start)) {
    pieces.push_back(text.substr(start, *found - start));
    start = *found + marker.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::optional<std::size_t> div_end(std::string_view text, std::size_t from) {
  std::size_t depth = 1;
  std::optional<std::size_t> tag = find_from(text, "<", from);
  while (tag) {
    const std::string_view rest = text.substr(*tag);
    if (rest.starts_with("</div") && rest.size() > 5 && (rest[5] == '>' || rest[5] == ' ')) {
      if (--depth == 0) return tag;
    } else if (rest.starts_with("<div") && rest.size() > 4 &&
               (rest[4] == '>' || unicode::is_white_space(static_cast<unsigned char>(rest[4])))) {
      ++depth;
    }
    tag = find_from(text, "<", *tag + 1);
  }
  return std::nullopt;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (const std::optional<std::size_t> found = find_from(text, from, start)) {
    out.append(text.substr(start, *found - start));
    out.append(to);
    start = *found + from.size();
  }
  out.append(text.substr(start));
  return out;
}

std::string trim(std::string_view text) {
  return std::string(unicode::trim_white_space(text));
}

std::string decode_entities(std::string_view text) {
  // The order matters: "&amp;" goes after "&quot;" and before the rest, so "&amp;lt;" decodes
  // twice (to "<") while "&amp;quot;" decodes once (to "&quot;").
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> PASSES = {{
      {"&quot;", "\""},
      {"&amp;", "&"},
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&apos;", "'"},
      {"&#39;", "'"},
      {"&nbsp;", " "},
  }};
  std::string out(text);
  // Every entity starts with an ampersand; without one no pass can match.
  if (!contains(out, "&")) return out;
  for (const auto& [entity, replacement] : PASSES)
    out = replace_all(out, entity, replacement);
  return out;
}

std::string strip_tags(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  bool inside_tag = false;
  // "<" and ">" never occur inside a multi-byte UTF-8 sequence, so a byte walk is a character walk.
  for (const char byte : text) {
    if (byte == '<') {
      inside_tag = true;
    } else if (byte == '>') {
      inside_tag = false;
    } else if (!inside_tag) {
      kept.push_back(byte);
    }
  }
  return decode_entities(unicode::trim_white_space(kept));
}

}  // namespace zentomi
