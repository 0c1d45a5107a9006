#include "draw/text.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "unicode/utf8.hpp"
#include "unicode/white_space.hpp"

namespace zentomi {
namespace {

// Pixels to draw into: the canvas, or a line being kept.
struct Pixels {
  std::uint32_t* data;
  std::int64_t width;
  std::int64_t height;
};

// Blends one glyph's coverage with its first column at `left` and first row at `top`, clipped
// to the pixels and to the columns before `right`. Positions are 64-bit so no text position can
// wrap into view.
void blit_glyph(const Pixels& target, const Glyph& glyph, std::int64_t left, std::int64_t top,
                std::int64_t right, Color color) {
  const std::int64_t first_row = std::max<std::int64_t>(0, -top);
  const std::int64_t end_row = std::min<std::int64_t>(glyph.height, target.height - top);
  const std::int64_t first_column = std::max<std::int64_t>(0, -left);
  const std::int64_t end_column =
      std::min<std::int64_t>(glyph.width, std::min<std::int64_t>(target.width, right) - left);
  const std::uint32_t red = (color >> 16) & 0xFF;
  const std::uint32_t green = (color >> 8) & 0xFF;
  const std::uint32_t blue = color & 0xFF;
  for (std::int64_t row = first_row; row < end_row; ++row) {
    const std::uint8_t* coverage = glyph.coverage.data() + row * glyph.width;
    std::uint32_t* pixels = target.data + (top + row) * target.width;
    for (std::int64_t column = first_column; column < end_column; ++column) {
      const std::uint32_t alpha = coverage[column];
      if (alpha == 0) continue;
      std::uint32_t& pixel = pixels[left + column];
      pixel = blend_color(pixel, red, green, blue, alpha);
    }
  }
}

std::int64_t truncated_advance(float advance) {
  return static_cast<std::int64_t>(std::trunc(advance));
}

constexpr std::int64_t NO_LIMIT = std::numeric_limits<std::int64_t>::max();

// Where a line's glyphs stop.
struct LineLimits {
  std::int64_t clip_right;  // nothing is drawn at or right of this column
  std::int64_t pen_limit;   // the line ends at the first glyph whose pen is here or further
  std::int64_t fit_right;   // the line ends at the first glyph whose advance ends right of this
};
// A line either stops at whole glyphs where it is clipped (fit_right is clip_right, no pen limit)
// or has a pen limit and cuts glyphs (no fit_right); kept lines are named by the first two alone.

// Calls place(glyph, left, top) for each glyph of the line, in order, with its bitmap's first
// column and row.
template <typename Place>
void place_glyphs(Font& font, std::string_view text, std::int64_t x, std::int64_t baseline,
                  float size, const LineLimits& limits, const Place& place) {
  std::int64_t pen = x;
  std::size_t position = 0;
  while (position < text.size() && pen < limits.pen_limit) {
    const char32_t code_point = unicode::decode_next(text, position);
    const Glyph& glyph = font.glyph(font.glyph_index(code_point), size);
    const std::int64_t next = pen + truncated_advance(glyph.advance);
    if (next > limits.fit_right) return;
    place(glyph, pen + glyph.left, baseline - glyph.top);
    pen = next;
  }
}

// The part of a box that lies on the canvas.
struct Visible {
  std::int64_t left;
  std::int64_t top;
  std::int64_t right;
  std::int64_t bottom;
  bool empty() const { return left >= right || top >= bottom; }
};

Visible visible_part(const Canvas& canvas, std::int64_t left, std::int64_t top, std::int64_t width,
                     std::int64_t height) {
  return {std::max<std::int64_t>(left, 0), std::max<std::int64_t>(top, 0),
          std::min<std::int64_t>(left + width, canvas.width()),
          std::min<std::int64_t>(top + height, canvas.height())};
}

// Whether every pixel of the box that lies on the canvas is `background`.
bool plain_under(const Canvas& canvas, const Visible& box, Color background) {
  if (box.empty()) return true;
  for (std::int64_t row = box.top; row < box.bottom; ++row) {
    const std::uint32_t* pixels = canvas.data() + row * canvas.width();
    std::uint32_t differs = 0;
    for (std::int64_t column = box.left; column < box.right; ++column)
      differs |= pixels[column] ^ background;
    if (differs != 0) return false;
  }
  return true;
}

// Copies the part of a kept line, placed at (left, top), that lies on the canvas (`box`).
void copy_line(Canvas& canvas, const DrawnLine& line, std::int64_t left, std::int64_t top,
               const Visible& box) {
  if (box.empty()) return;
  for (std::int64_t row = box.top; row < box.bottom; ++row) {
    copy_pixels(canvas.data() + row * canvas.width() + box.left,
                line.pixels.data() + (row - top) * line.width + (box.left - left),
                static_cast<std::size_t>(box.right - box.left));
  }
}

// Lines kept whole take at most this share of the budget each: a huge text is blended directly.
constexpr std::size_t LARGEST_KEPT_SHARE = 8;
// Texts longer than this are cut to the glyphs the line draws before they are looked for among
// the kept lines, so a megabyte title is not read whole every frame; if even those are longer,
// the line is blended directly.
constexpr std::size_t LONGEST_KEPT_TEXT = 2048;

// The start of the text that holds every glyph the line draws; drawing it instead of the whole
// text gives the same pixels.
std::string_view drawn_part(Font& font, std::string_view text, std::int64_t x, float size,
                            const LineLimits& limits) {
  std::int64_t pen = x;
  std::size_t position = 0;
  while (position < text.size() && pen < limits.pen_limit) {
    const std::size_t start = position;
    const char32_t code_point = unicode::decode_next(text, position);
    const std::int64_t next =
        pen + truncated_advance(font.glyph(font.glyph_index(code_point), size).advance);
    if (next > limits.fit_right) return text.substr(0, start);
    pen = next;
  }
  return text.substr(0, position);
}

// Draws one line of text with its top at y and its pen from x. A line drawn on a plain
// background is kept as the pixels it left, and copied from there while the same line is drawn
// again on the same background at the same distance from its limits; anything else is blended
// glyph by glyph. Both give the same pixels.
void draw_line(Renderer& renderer, std::string_view whole_text, std::int64_t x, std::int64_t y,
               Color color, float size, const LineLimits& limits) {
  const std::int64_t baseline = y + static_cast<std::int64_t>(std::trunc(size));
  Canvas& canvas = renderer.canvas;
  Font& font = renderer.font;
  const auto blend_on_canvas = [&](std::string_view drawn) {
    const Pixels whole{canvas.data(), canvas.width(), canvas.height()};
    place_glyphs(font, drawn, x, baseline, size, limits,
                 [&](const Glyph& glyph, std::int64_t left, std::int64_t top) {
                   blit_glyph(whole, glyph, left, top, limits.clip_right, color);
                 });
  };
  DrawnLines& kept = font.drawn_lines();
  if (kept.capacity_bytes() == 0 || x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height()) {
    blend_on_canvas(whole_text);
    return;
  }
  const std::string_view text = whole_text.size() > LONGEST_KEPT_TEXT
                                    ? drawn_part(font, whole_text, x, size, limits)
                                    : whole_text;
  if (text.size() > LONGEST_KEPT_TEXT) {
    blend_on_canvas(text);
    return;
  }
  const Color background = canvas.pixel(static_cast<int>(x), static_cast<int>(y));
  const auto room = [x](std::int64_t limit) { return limit == NO_LIMIT ? NO_LIMIT : limit - x; };
  const DrawnLineKey key{
      text, size, color, background, room(limits.clip_right), room(limits.pen_limit)};
  if (const DrawnLine* line = kept.find(key)) {
    const std::int64_t left = x + line->left;
    const std::int64_t top = y + line->top;
    const Visible box = visible_part(canvas, left, top, line->width, line->height);
    if (plain_under(canvas, box, background)) {
      copy_line(canvas, *line, left, top, box);
    } else {
      blend_on_canvas(text);
    }
    return;
  }
  // The box the glyphs' bitmaps cover, clipped on the right.
  std::int64_t left = NO_LIMIT;
  std::int64_t top = NO_LIMIT;
  std::int64_t right = std::numeric_limits<std::int64_t>::min();
  std::int64_t bottom = std::numeric_limits<std::int64_t>::min();
  place_glyphs(font, text, x, baseline, size, limits,
               [&](const Glyph& glyph, std::int64_t glyph_left, std::int64_t glyph_top) {
                 const std::int64_t glyph_right =
                     std::min(glyph_left + glyph.width, limits.clip_right);
                 if (glyph_right <= glyph_left || glyph.height <= 0) return;
                 left = std::min(left, glyph_left);
                 top = std::min(top, glyph_top);
                 right = std::max(right, glyph_right);
                 bottom = std::max(bottom, glyph_top + glyph.height);
               });
  if (left >= right) return;  // nothing to draw
  const std::int64_t width = right - left;
  const std::int64_t height = bottom - top;
  const auto largest =
      static_cast<std::int64_t>(kept.capacity_bytes() / LARGEST_KEPT_SHARE / sizeof(std::uint32_t));
  const Visible box = visible_part(canvas, left, top, width, height);
  if (width > largest || height > largest || width * height > largest ||
      !plain_under(canvas, box, background)) {
    blend_on_canvas(text);
    return;
  }
  DrawnLine line{left - x, top - y, width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), background)};
  const Pixels image{line.pixels.data(), width, height};
  place_glyphs(font, text, x, baseline, size, limits,
               [&](const Glyph& glyph, std::int64_t glyph_left, std::int64_t glyph_top) {
                 blit_glyph(image, glyph, glyph_left - left, glyph_top - top, right - left, color);
               });
  copy_line(canvas, line, left, top, box);
  kept.insert(key, std::move(line));
}

// The next word (run of non-White_Space characters) at or after `position`, which moves past
// it; empty at the end of the text. Words are found one at a time so that wrapping stops reading
// a long text once its lines are full.
std::string_view next_word(std::string_view text, std::size_t& position) {
  std::size_t word_start = std::string_view::npos;
  while (position < text.size()) {
    const std::size_t start = position;
    const bool blank = unicode::is_white_space(unicode::decode_next(text, position));
    if (blank && word_start != std::string_view::npos) {
      return text.substr(word_start, start - word_start);
    }
    if (!blank && word_start == std::string_view::npos) word_start = start;
  }
  return word_start == std::string_view::npos ? std::string_view{} : text.substr(word_start);
}

}  // namespace

void draw_text(Renderer& renderer, std::string_view text, int x, int y, Color color, float size) {
  draw_text_clipped(renderer, text, x, y, color, size, renderer.canvas.width());
}

void draw_text_clipped(Renderer& renderer, std::string_view text, int x, int y, Color color,
                       float size, int clip_right) {
  if (text.empty() || !usable_text_size(size)) return;
  // Pens only move right, so once no glyph can reach back into the canvas the rest of the text
  // would draw nothing.
  const std::int64_t pen_limit =
      std::int64_t{renderer.canvas.width()} + renderer.font.left_overhang(size);
  draw_line(renderer, text, x, y, color, size, {clip_right, pen_limit, NO_LIMIT});
}

void draw_text_fitted(Renderer& renderer, std::string_view text, int x, int y, Color color,
                      float size, int right) {
  if (text.empty() || !usable_text_size(size)) return;
  draw_line(renderer, text, x, y, color, size, {right, NO_LIMIT, right});
}

namespace {

constexpr std::string_view ELLIPSIS = "…";

// Where a text too wide for `room` columns is cut before the ellipsis: the end of its last whole
// word that fills at least half the room, else the end of the last glyph that fits.
std::size_t shortened_length(Font& font, std::string_view text, float size, std::int64_t room) {
  std::int64_t width = 0;
  std::size_t glyphs_end = 0;
  std::size_t word_end = 0;
  bool previous_blank = true;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t start = position;
    const char32_t code_point = unicode::decode_next(text, position);
    const bool blank = unicode::is_white_space(code_point);
    if (blank && !previous_blank && 2 * width >= room) word_end = start;
    previous_blank = blank;
    width += truncated_advance(font.advance(font.glyph_index(code_point), size));
    if (width > room) break;
    glyphs_end = position;
  }
  return word_end > 0 ? word_end : glyphs_end;
}

}  // namespace

std::int64_t draw_text_shortened(Renderer& renderer, std::string_view text, int x, int y,
                                 Color color, float size, int right) {
  if (text.empty() || !usable_text_size(size)) return x;
  const std::int64_t room = std::int64_t{right} - x;
  const std::int64_t width = text_width_up_to(renderer.font, text, size, room);
  if (width <= room) {
    draw_text_fitted(renderer, text, x, y, color, size, right);
    return x + width;
  }
  const std::int64_t ellipsis_width = text_width(renderer.font, ELLIPSIS, size);
  const std::string_view kept =
      text.substr(0, shortened_length(renderer.font, text, size, room - ellipsis_width));
  const std::int64_t kept_width = text_width(renderer.font, kept, size);
  draw_text_fitted(renderer, kept, x, y, color, size, right);
  const std::int64_t ellipsis_left = x + kept_width;
  if (ellipsis_left + ellipsis_width > right || ellipsis_left > std::numeric_limits<int>::max())
    return ellipsis_left;
  draw_text_fitted(renderer, ELLIPSIS, static_cast<int>(ellipsis_left), y, color, size, right);
  return ellipsis_left + ellipsis_width;
}

std::int64_t text_width(Font& font, std::string_view text, float size) {
  return text_width_up_to(font, text, size, std::numeric_limits<std::int64_t>::max());
}

// Advances are never negative, so once past the limit the answer is known.
std::int64_t text_width_up_to(Font& font, std::string_view text, float size, std::int64_t limit) {
  std::int64_t width = 0;
  std::size_t position = 0;
  while (position < text.size() && width <= limit) {
    const char32_t code_point = unicode::decode_next(text, position);
    width += truncated_advance(font.advance(font.glyph_index(code_point), size));
  }
  return width;
}

std::vector<std::string> wrap_text(Font& font, std::string_view text, int max_width, float size,
                                   int max_lines) {
  std::vector<std::string> lines;
  if (max_lines <= 0) return lines;
  // Widths add up code point by code point, so a candidate line is measured from its parts.
  const std::int64_t space_width = text_width(font, " ", size);
  std::string line;
  std::int64_t line_width = 0;
  std::size_t position = 0;
  for (std::string_view word = next_word(text, position); !word.empty();
       word = next_word(text, position)) {
    const std::int64_t word_width = text_width_up_to(font, word, size, max_width);
    const std::int64_t candidate_width =
        line.empty() ? word_width : line_width + space_width + word_width;
    if (candidate_width <= max_width || line.empty()) {
      if (!line.empty()) line += ' ';
      line += word;
      line_width = candidate_width;
      continue;
    }
    lines.push_back(std::move(line));
    if (lines.size() >= static_cast<std::size_t>(max_lines)) return lines;
    line = std::string(word);
    line_width = word_width;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

namespace {

// Texts past this length are wrapped once and the lines kept: finding the words of a summary
// padded with megabytes of blanks would otherwise cost every frame it is drawn in.
constexpr std::size_t REMEMBERED_FROM = 4096;
constexpr std::size_t REMEMBERED_ENDS = 1024;  // bytes of each end compared, with the length
constexpr std::size_t REMEMBERED_WRAPS = 16;

// A long text is known again by where it lies, its length and both of its ends: the state's texts
// stay where they are until a result replaces them.
struct WrapKey {
  const Font* font;
  const char* data;
  std::size_t length;
  std::string ends;
  int max_width;
  float size;
  int max_lines;
  bool operator==(const WrapKey&) const = default;
};

struct RememberedWrap {
  WrapKey key;
  std::vector<std::string> lines;
};

const std::vector<std::string>& wrapped_lines(Font& font, std::string_view text, int max_width,
                                              float size, int max_lines,
                                              std::vector<std::string>& scratch) {
  if (text.size() < REMEMBERED_FROM) {
    scratch = wrap_text(font, text, max_width, size, max_lines);
    return scratch;
  }
  // Drawing is the main thread's alone; the memory of past wraps is too.
  thread_local std::vector<RememberedWrap> remembered;
  WrapKey key{&font,
              text.data(),
              text.size(),
              std::string(text.substr(0, REMEMBERED_ENDS))
                  .append(text.substr(text.size() - REMEMBERED_ENDS)),
              max_width,
              size,
              max_lines};
  for (const RememberedWrap& wrap : remembered) {
    if (wrap.key == key) return wrap.lines;
  }
  if (remembered.size() >= REMEMBERED_WRAPS) remembered.erase(remembered.begin());
  std::vector<std::string> lines = wrap_text(font, text, max_width, size, max_lines);
  remembered.push_back({std::move(key), std::move(lines)});
  return remembered.back().lines;
}

}  // namespace

void draw_wrapped_text(Renderer& renderer, std::string_view text, int x, int y, int max_width,
                       int line_height, Color color, float size, int max_lines) {
  std::vector<std::string> scratch;
  const std::vector<std::string>& lines =
      wrapped_lines(renderer.font, text, max_width, size, max_lines, scratch);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::int64_t row = std::int64_t{y} + static_cast<std::int64_t>(i) * line_height;
    if (row < std::numeric_limits<int>::min() || row > std::numeric_limits<int>::max()) break;
    // Only a single word can be wider than the line; it is shortened, never left to overrun.
    const std::int64_t right = std::int64_t{x} + std::max(max_width, 0);
    if (text_width_up_to(renderer.font, lines[i], size, max_width) > max_width &&
        right <= std::numeric_limits<int>::max()) {
      draw_text_shortened(renderer, lines[i], x, static_cast<int>(row), color, size,
                          static_cast<int>(right));
    } else {
      draw_text(renderer, lines[i], x, static_cast<int>(row), color, size);
    }
  }
}

}  // namespace zentomi
