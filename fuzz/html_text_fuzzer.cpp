// The text helpers and substring primitives on any bytes. The first byte picks how many of the
// following bytes form the marker; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "nettruyen/html_text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zentomi;
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t marker_length = std::min<std::size_t>(data[0] % 8, input.size());
  const std::string_view marker = input.substr(0, marker_length);
  const std::string_view text = input.substr(marker_length);

  // Decoding only ever shortens; tag stripping and trimming never add anything; trimming changes
  // nothing the second time (no control is left, not even one two others were cut from).
  if (decode_entities(text).size() > text.size()) __builtin_trap();
  if (strip_tags(text).size() > text.size()) __builtin_trap();
  const std::string trimmed = trim(text);
  if (trimmed.size() > text.size()) __builtin_trap();
  if (trim(trimmed) != trimmed) __builtin_trap();

  // Splitting and joining again gives the text back; so does replacing a marker by itself.
  std::string joined;
  const auto pieces = split_at(text, marker);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined.append(marker);
    joined.append(pieces[i]);
  }
  if (joined != text) __builtin_trap();
  if (replace_all(text, marker, marker) != text) __builtin_trap();
  if (!marker.empty() && (pieces.size() > 1) != contains(text, marker)) __builtin_trap();

  for (std::size_t from = 0; from <= text.size() + 1; from += 1 + text.size() / 4) {
    const auto found = find_from(text, marker, from);
    if (found && (*found < from || text.substr(*found, marker.size()) != marker)) __builtin_trap();
    if (const auto between = text_between(text, marker, "\"", from)) {
      if (between->data() < text.data() ||
          between->data() + between->size() > text.data() + text.size()) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
