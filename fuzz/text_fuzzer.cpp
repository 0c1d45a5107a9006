// Drawing, measuring and wrapping must accept any byte string at any position, clipped to a small
// canvas. The first three bytes choose the size and the position; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "draw/text.hpp"
#include "unicode/utf8.hpp"
#include "unicode/white_space.hpp"

namespace {

bool has_white_space(std::string_view line) {
  for (std::size_t position = 0; position < line.size();) {
    const char32_t code_point = zentomi::unicode::decode_next(line, position);
    if (code_point != U' ' && zentomi::unicode::is_white_space(code_point)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zentomi;
  static Font font = *Font::load_embedded(64 * 1024);  // small, so eviction is exercised
  if (size < 3) return 0;
  const float text_size = static_cast<float>(data[0]) / 4.0f - 8.0f;  // -8 to 55.75
  const int x = static_cast<int>(data[1]) - 128;
  const int y = static_cast<int>(data[2]) - 128;
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

  Canvas canvas(96, 48);
  Renderer renderer{canvas, font};
  draw_text(renderer, text, x, y, palette::PRIMARY_TEXT, text_size);
  if (text_width(font, text, text_size) < 0) __builtin_trap();

  const int max_lines = data[1] % 8;
  const auto lines = wrap_text(font, text, data[2], text_size, max_lines);
  if (lines.size() > static_cast<std::size_t>(max_lines)) __builtin_trap();
  for (const std::string& line : lines) {
    if (line.empty() || line.front() == ' ' || line.back() == ' ' || has_white_space(line))
      __builtin_trap();
  }
  draw_wrapped_text(renderer, text, x, y, data[2], 18, palette::LIST_TEXT, text_size, max_lines);
  return 0;
}
