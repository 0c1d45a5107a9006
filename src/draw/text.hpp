#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "draw/canvas.hpp"
#include "draw/font.hpp"

namespace zentomi {

// What every screen-drawing routine draws with: the frame's canvas and the font.
struct Renderer {
  Canvas& canvas;
  Font& font;
};

// One line of UTF-8 text with its top at y: the baseline lies trunc(size) rows lower and the pen
// starts at x. Every code point is one glyph (the missing-glyph shape when the font lacks it,
// U+FFFD for ill-formed bytes), with no kerning or shaping; the pen moves by each glyph's
// truncated advance. Coverage is blended over the canvas and clipped pixel by pixel. Nothing is
// drawn for an empty text or an unusable size.
void draw_text(Renderer& renderer, std::string_view text, int x, int y, Color color, float size);

// draw_text with nothing drawn at or right of column clip_right.
void draw_text_clipped(Renderer& renderer, std::string_view text, int x, int y, Color color,
                       float size, int clip_right);

// draw_text with whole glyphs only: it stops before the first glyph whose advance would end right
// of column `right`, so a text that does not fit ends at a letter, never halfway through one.
void draw_text_fitted(Renderer& renderer, std::string_view text, int x, int y, Color color,
                      float size, int right);

// draw_text for a text that may not fit before column `right`: one that fits is drawn whole; one
// that does not ends with "…" before `right`, after the last whole word that leaves at least half
// the room filled, else after the last whole glyph that fits. Gives the column where the pen
// stops, so a text that follows can stand right after it.
std::int64_t draw_text_shortened(Renderer& renderer, std::string_view text, int x, int y,
                                 Color color, float size, int right);

// How far draw_text moves the pen over the text.
std::int64_t text_width(Font& font, std::string_view text, float size);

// text_width for a text that is only drawn as far as `limit`: exact while the width is at most
// `limit`, and some width above it otherwise, found without reading the rest of the text. A
// layout that sizes a box by its text asks this, so a megabyte value costs what a short one does.
std::int64_t text_width_up_to(Font& font, std::string_view text, float size, std::int64_t limit);

// The lines draw_wrapped_text draws: the words (runs of non-White_Space characters) joined by
// single spaces, filled greedily up to the width. A single word wider than the limit stands
// alone on its line and overflows; words are never broken. Lines past the limit are dropped
// without a mark.
std::vector<std::string> wrap_text(Font& font, std::string_view text, int max_width, float size,
                                   int max_lines);

// wrap_text's lines drawn from (x, y) down, line_height rows apart; a word too wide for its line is
// shortened (draw_text_shortened) so that nothing runs past the width.
void draw_wrapped_text(Renderer& renderer, std::string_view text, int x, int y, int max_width,
                       int line_height, Color color, float size, int max_lines);

}  // namespace zentomi
