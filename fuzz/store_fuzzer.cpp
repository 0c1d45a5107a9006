// Both store parsers must accept any bytes without fault, and whatever they accept must be written
// and read back unchanged. Rendering must take any field bytes, well-formed or not.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/store_json.hpp"
#include "unicode/utf8.hpp"

namespace {

using namespace zentomi;

void check_history(std::string_view bytes) {
  const auto history = parse_history_json(bytes);
  if (!history) return;
  const std::string text = render_history_json(*history);
  const auto again = parse_history_json(text);
  if (!again || *again != *history) __builtin_trap();
}

void check_favorites(std::string_view bytes) {
  const auto favorites = parse_favorites_json(bytes);
  if (!favorites) return;
  const std::string text = render_favorites_json(*favorites);
  const auto again = parse_favorites_json(text);
  if (!again || *again != *favorites) __builtin_trap();
  if (render_favorites_json(*again) != text) __builtin_trap();
}

// Fields cut from the raw input: each is written as its well-formed form.
void check_rendering(std::string_view bytes) {
  const std::size_t cut = bytes.size() / 2;
  const std::string first(bytes.substr(0, cut));
  const std::string second(bytes.substr(cut));
  const MangaItem item{first, second, first, second, first};
  const auto favorites = parse_favorites_json(render_favorites_json({item}));
  if (!favorites || favorites->size() != 1) __builtin_trap();
  const std::string clean_first = unicode::sanitize_utf8(first);
  const std::string clean_second = unicode::sanitize_utf8(second);
  if (favorites->front() !=
      MangaItem{clean_first, clean_second, clean_first, clean_second, clean_first}) {
    __builtin_trap();
  }
  const HistoryMap history{{second, MangaHistory{first, second, first, second, cut, 0, 1}}};
  const auto read_back = parse_history_json(render_history_json(history));
  if (!read_back || !read_back->contains(clean_second)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_history(bytes);
  check_favorites(bytes);
  check_rendering(bytes);
  return 0;
}
