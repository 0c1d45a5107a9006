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

namespace {

// The length of the invisible control at the start of `text`, 0 when it starts otherwise. A
// byte walk suffices: lead bytes never occur inside another character's encoding.
std::size_t control_length(std::string_view text) {
  const auto byte = [&](std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
  };
  const unsigned first = byte(0);
  // C0 and DEL, but the blanks TAB to CR, which separate words.
  if ((first < 0x20 && (first < 0x09 || first > 0x0D)) || first == 0x7F) return 1;
  // C1 (U+0080 to U+009F) but NEL, a blank; the Arabic letter mark U+061C.
  if (first == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F && byte(1) != 0x85) return 2;
  if (first == 0xD8 && byte(1) == 0x9C) return 2;
  if (first == 0xE2) {
    // U+200E, U+200F, U+202A to U+202E; U+2066 to U+2069.
    const unsigned second = byte(1);
    const unsigned third = byte(2);
    if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE)))
      return 3;
    if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return 3;
  }
  return 0;
}

}  // namespace

std::string trim(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    kept.push_back(c);
    // A control is dropped as its last byte arrives, so one that the removal of another brings
    // together ("\xE2\x80" + a dropped byte + "\x8E") goes too, and trimming twice changes nothing.
    for (std::size_t length = 1; length <= 3 && length <= kept.size(); ++length) {
      const std::string_view tail = std::string_view(kept).substr(kept.size() - length);
      if (control_length(tail) == length) {
        kept.resize(kept.size() - length);
        break;
      }
    }
  }
  return std::string(unicode::trim_white_space(kept));
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
  return decode_entities(trim(kept));
}

}  // namespace zentomi
