#include "draw/text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "unicode/utf8.hpp"

namespace zentomi {
namespace {

constexpr Color BACKGROUND = 0xFF0B0F19;
constexpr Color INK = 0xFFF8FAFC;
constexpr float SIZES_IN_USE[] = {10, 11.5, 12,   12.5, 13,   13.5, 14, 14.5,
                                  15, 16,   16.5, 17,   17.5, 18,   20, 24};

Font& shared_font() {
  static Font font = *Font::load_embedded();
  return font;
}

struct InkBox {
  int left = INT_MAX;
  int top = INT_MAX;
  int right = INT_MIN;   // last column with ink
  int bottom = INT_MIN;  // last row with ink
};

std::optional<InkBox> ink_box(const Canvas& canvas) {
  InkBox box;
  bool any = false;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.pixel(x, y) == BACKGROUND) continue;
      any = true;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  if (!any) return std::nullopt;
  return box;
}

bool same_pixels(const Canvas& a, const Canvas& b) {
  return a.width() == b.width() && a.height() == b.height() &&
         std::equal(a.data(), a.data() + static_cast<std::size_t>(a.width()) * a.height(),
                    b.data());
}

Canvas drawn(std::string_view text, int x, int y, float size, Font& font = shared_font(),
             int width = 400, int height = 160) {
  Canvas canvas(width, height, BACKGROUND);
  Renderer renderer{canvas, font};
  draw_text(renderer, text, x, y, INK, size);
  return canvas;
}

TEST(DrawText, BaselineLiesTruncatedSizeBelowTheTop) {
  // "H" stands on the baseline and "p" reaches below it.
  for (float size : {12.0f, 12.5f, 12.99f}) {
    const auto h = ink_box(drawn("H", 20, 100, size));
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->bottom, 111) << size;
    const auto p = ink_box(drawn("p", 20, 100, size));
    ASSERT_TRUE(p.has_value());
    EXPECT_GE(p->bottom, 112) << size;
  }
  const auto at_13 = ink_box(drawn("H", 20, 100, 13.0f));
  ASSERT_TRUE(at_13.has_value());
  EXPECT_EQ(at_13->bottom, 112);
}

TEST(DrawText, BlendsEachCoveragePixelByTheCanvasRuleAtTheGlyphsPlace) {
  Font& font = shared_font();
  const float size = 24.0f;
  const Glyph glyph = font.glyph(font.glyph_index(U'ệ'), size);
  ASSERT_GT(glyph.width, 0);
  const Canvas canvas = drawn("ệ", 30, 40, size);
  const int baseline = 40 + 24;
  int partial = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const int column = x - (30 + glyph.left);
      const int row = y - (baseline - glyph.top);
      std::uint32_t coverage = 0;
      if (column >= 0 && row >= 0 && column < glyph.width && row < glyph.height)
        coverage = glyph.coverage[static_cast<std::size_t>(row) * glyph.width + column];
      const Color expected =
          coverage == 0 ? BACKGROUND : blend_color(BACKGROUND, 0xF8, 0xFA, 0xFC, coverage);
      ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
      partial += coverage != 0 && coverage != 255;
    }
  }
  EXPECT_GT(partial, 0);  // anti-aliased edges were blended, not painted
}

TEST(DrawText, TheWidthIsHowFarThePenMoves) {
  Font& font = shared_font();
  const std::vector<std::string> texts = {"Truyện tranh", "★ 4.8  ☆", "▶ Đọc tiếp ◀", "▲▼•➔",
                                          "Chương 12🚀",   "A\nB\tC",  "x\xC3"};
  for (float size : SIZES_IN_USE) {
    for (const std::string& text : texts) {
      // Drawing "text|" equals drawing "text" and then "|" where the width says.
      const std::int64_t width = text_width(font, text, size);
      Canvas together = drawn(text + "|", 7, 20, size);
      Canvas apart = drawn(text, 7, 20, size);
      Renderer renderer{apart, font};
      draw_text(renderer, "|", 7 + static_cast<int>(width), 20, INK, size);
      EXPECT_TRUE(same_pixels(together, apart)) << text << " at " << size;
    }
  }
  // Each code point adds its own truncated advance; fractions are not carried.
  const float dot = font.advance(font.glyph_index(U'.'), 12.5f);
  EXPECT_NE(dot, std::trunc(dot));
  EXPECT_EQ(text_width(font, "....", 12.5f), 4 * static_cast<std::int64_t>(dot));
}

TEST(DrawText, MissingCodePointsDrawGlyphZeroAndAdvanceByItsWidth) {
  Font& font = shared_font();
  const float size = 16.0f;
  const auto missing_advance = static_cast<int>(font.advance(0, size));
  ASSERT_GT(missing_advance, 0);
  // Private-use code points that neither the font nor its fallback has.
  const std::string missing = "\U0010FFFD";
  EXPECT_EQ(text_width(font, missing, size), missing_advance);
  EXPECT_EQ(text_width(font, "\U0010FFFD\U0010FFFC\U0010FFFB", size), 3 * missing_advance);

  const Canvas box = drawn(missing, 10, 10, size);
  ASSERT_TRUE(ink_box(box).has_value());
  EXPECT_TRUE(same_pixels(box, drawn("\U0010FFFC", 10, 10, size)));  // the same missing shape
  // A symbol the fallback font has is its own outline, not that shape.
  EXPECT_FALSE(same_pixels(box, drawn("🚀", 10, 10, size)));

  Canvas expected = drawn(missing, 10, 10, size);
  Renderer renderer{expected, font};
  draw_text(renderer, "H", 10 + missing_advance, 10, INK, size);
  EXPECT_TRUE(same_pixels(drawn(missing + "H", 10, 10, size), expected));
}

TEST(DrawText, FittedTextEndsAtAWholeGlyph) {
  Font& font = shared_font();
  const float size = 15.0f;
  const std::string text = "Chương 12: Trận chiến";
  const auto prefix_width = [&](std::string_view prefix) {
    return static_cast<int>(text_width(font, prefix, size));
  };
  // A right edge one column short of "Chương 12:" draws "Chương 12" whole and nothing more.
  const int right = 10 + prefix_width("Chương 12:") - 1;
  Canvas fitted(400, 160, BACKGROUND);
  Renderer renderer{fitted, font};
  draw_text_fitted(renderer, text, 10, 10, INK, size, right);
  EXPECT_TRUE(same_pixels(fitted, drawn("Chương 12", 10, 10, size)));
  // With room for all of it, it is draw_text.
  Canvas whole(400, 160, BACKGROUND);
  Renderer whole_renderer{whole, font};
  draw_text_fitted(whole_renderer, text, 10, 10, INK, size, 10 + prefix_width(text));
  EXPECT_TRUE(same_pixels(whole, drawn(text, 10, 10, size)));
}

TEST(DrawText, WidthUpToALimitIsExactWithinItAndAboveItPast) {
  Font& font = shared_font();
  const std::string text = "Chương 12: Trận chiến";
  const std::int64_t whole = text_width(font, text, 15.0f);
  for (const std::int64_t limit : {whole, whole + 1, std::int64_t{100000}})
    EXPECT_EQ(text_width_up_to(font, text, 15.0f, limit), whole) << limit;
  for (const std::int64_t limit : {std::int64_t{-1}, std::int64_t{0}, whole / 2, whole - 1})
    EXPECT_GT(text_width_up_to(font, text, 15.0f, limit), limit) << limit;
}

TEST(DrawText, AShortenedTextEndsWithAnEllipsisAfterAWholeWordOrGlyph) {
  Font& font = shared_font();
  const float size = 15.0f;
  const auto width_of = [&](std::string_view text) {
    return static_cast<int>(text_width(font, text, size));
  };
  const auto shortened = [&](std::string_view text, int right, std::int64_t* end = nullptr) {
    Canvas canvas(400, 160, BACKGROUND);
    Renderer renderer{canvas, font};
    const std::int64_t stop = draw_text_shortened(renderer, text, 10, 10, INK, size, right);
    if (end) *end = stop;
    return canvas;
  };
  struct Case {
    const char* text;
    int right;  // relative to the left edge, 10
    const char* shows;
  };
  const std::string words = "Chương 12: Trận chiến cuối";
  const Case cases[] = {
      // Fits exactly: drawn whole, no ellipsis.
      {"Chương 12: Trận chiến cuối", width_of(words), "Chương 12: Trận chiến cuối"},
      // One column short: cut after the last whole word that fits with the ellipsis.
      {"Chương 12: Trận chiến cuối", width_of(words) - 1, "Chương 12: Trận chiến…"},
      {"Chương 12: Trận chiến cuối", width_of("Chương 12: Trận…"), "Chương 12: Trận…"},
      // A word that would leave most of the room empty is cut at a glyph instead.
      {"Ab Siêuanhhùnghànhtinh", width_of("Ab Siêuan…"), "Ab Siêuan…"},
      {"Siêuanhhùnghànhtinh", width_of("Siêuanh…") + 1, "Siêuanh…"},
  };
  for (const Case& c : cases) {
    std::int64_t end = 0;
    const Canvas canvas = shortened(c.text, 10 + c.right, &end);
    EXPECT_TRUE(same_pixels(canvas, drawn(c.shows, 10, 10, size))) << c.text << " / " << c.right;
    EXPECT_EQ(end, 10 + width_of(c.shows)) << c.text;
  }
  // No room even for the ellipsis: nothing is drawn.
  EXPECT_FALSE(ink_box(shortened("Siêuanhhùnghànhtinh", 12)).has_value());
}

TEST(DrawText, NothingForEmptyTextOrUnusableSizes) {
  const Canvas blank(400, 160, BACKGROUND);
  EXPECT_TRUE(same_pixels(drawn("", 10, 10, 14), blank));
  for (float size : {0.0f, -12.5f, NAN, INFINITY, 1e9f})
    EXPECT_TRUE(same_pixels(drawn("Chọn", 10, 10, size), blank)) << size;
  EXPECT_EQ(text_width(shared_font(), "Chọn", 0.0f), 0);
}

TEST(DrawText, ClipsPixelByPixelAtEveryEdge) {
  // A small canvas shows exactly its window onto the same text drawn on a larger one.
  const std::string text = "Đọc ★ tiếp";
  const Canvas large = drawn(text, 40, 30, 24.0f, shared_font(), 200, 80);
  for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{{45, 35}, {60, 20}, {100, 50}}) {
    const Canvas small = drawn(text, 40 - dx, 30 - dy, 24.0f, shared_font(), 30, 20);
    for (int y = 0; y < small.height(); ++y) {
      for (int x = 0; x < small.width(); ++x)
        ASSERT_EQ(small.pixel(x, y), large.pixel(x + dx, y + dy)) << dx << "," << dy;
    }
  }
  const Canvas blank(400, 160, BACKGROUND);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {INT_MIN, 10}, {INT_MAX, 10}, {10, INT_MIN}, {10, INT_MAX}, {INT_MAX, INT_MAX}}) {
    EXPECT_TRUE(same_pixels(drawn(text, x, y, 24.0f), blank)) << x << "," << y;
  }
}

TEST(DrawText, StopsPastTheRightEdgeWithTheSamePixels) {
  // The tail holds letters drawn nowhere else: were any laid out, the glyph cache would keep it.
  std::string tail;
  for (char32_t code_point = U'Ā'; code_point < U'Ā' + 300; ++code_point)
    unicode::append_utf8(tail, code_point);
  const std::string visible = "Đọc tiếp ngay hôm nay";
  auto with_tail = Font::load_embedded();
  auto without_tail = Font::load_embedded();
  ASSERT_TRUE(with_tail && without_tail);
  EXPECT_TRUE(same_pixels(drawn(visible + tail, 10, 10, 24, *with_tail, 120, 60),
                          drawn(visible, 10, 10, 24, *without_tail, 120, 60)));
  EXPECT_EQ(with_tail->cache().size(), without_tail->cache().size());

  // A combining mark has no advance and reaches left of its pen: with the pen just past the edge
  // it still draws into the canvas, exactly as on a wider one.
  const std::string base = "Doc";
  const int x = 120 + 2 - static_cast<int>(text_width(shared_font(), base, 24));
  const Canvas marked = drawn(base + "\u0301", x, 10, 24, shared_font(), 120, 60);
  const Canvas wide = drawn(base + "\u0301", x, 10, 24, shared_font(), 200, 60);
  EXPECT_FALSE(same_pixels(marked, drawn(base, x, 10, 24, shared_font(), 120, 60)));
  for (int y = 0; y < marked.height(); ++y) {
    for (int column = 0; column < marked.width(); ++column)
      ASSERT_EQ(marked.pixel(column, y), wide.pixel(column, y)) << column << "," << y;
  }
}

TEST(DrawText, IllFormedUtf8DrawsReplacementCharacters) {
  Font& font = shared_font();
  const std::vector<std::string> hostile = {
      "\xFF",     "a\xE1\x80",          "\xF0\x9F\x9A",     "\xED\xA0\x80 x",
      "\xC0\xAF", std::string(1, '\0'), "\xE1\xBB\x87\x80", "\xF4\x90\x80\x80",
      "Đọc\xC3",  "\xC3\xC3\xC3",
  };
  for (const std::string& text : hostile) {
    const std::string replaced = unicode::sanitize_utf8(text);
    EXPECT_TRUE(same_pixels(drawn(text, 5, 5, 14), drawn(replaced, 5, 5, 14)));
    EXPECT_EQ(text_width(font, text, 14), text_width(font, replaced, 14));
    std::vector<std::string> lines = wrap_text(font, text, 100, 14, 3);
    for (std::string& line : lines)
      line = unicode::sanitize_utf8(line);
    EXPECT_EQ(lines, wrap_text(font, replaced, 100, 14, 3));
  }
  EXPECT_NE(font.glyph_index(unicode::REPLACEMENT_CHARACTER), 0u);
  EXPECT_FALSE(same_pixels(drawn("\xFF", 5, 5, 14), drawn("🚀", 5, 5, 14)));
}

TEST(GlyphCacheUse, DrawsExactlyWhatTheRasteriserDrawsWithoutIt) {
  auto uncached = Font::load_embedded(0);
  auto cached = Font::load_embedded();
  auto tiny = Font::load_embedded(4096);  // evicts all the time
  ASSERT_TRUE(uncached && cached && tiny);
  const auto page = [](Font& font) {
    Canvas canvas(640, 480, BACKGROUND);
    Renderer renderer{canvas, font};
    int y = 0;
    for (int pass = 0; pass < 2; ++pass) {
      for (float size : SIZES_IN_USE) {
        draw_text(renderer, "Truyện tranh ★☆▶◀▲▼•➔ 🚀 Đọc", 3 + pass, y % 440, INK, size);
        y += 27;
      }
    }
    draw_wrapped_text(renderer, "Một câu chuyện về những người bạn cùng nhau phiêu lưu", 320, 0,
                      296, 18, 0xFFFBBF24, 12.0f, 7);
    return canvas;
  };
  const Canvas reference = page(*uncached);
  EXPECT_TRUE(same_pixels(page(*cached), reference));
  EXPECT_TRUE(same_pixels(page(*cached), reference));  // now drawn from the cache
  EXPECT_TRUE(same_pixels(page(*tiny), reference));
  for (float size : SIZES_IN_USE) {
    for (const char* text : {"Truyện tranh ★☆▶◀▲▼•➔ 🚀", "Đọc tiếp\xFF"}) {
      EXPECT_EQ(text_width(*cached, text, size), text_width(*uncached, text, size));
      EXPECT_EQ(text_width(*cached, text, size), text_width(*uncached, text, size));
    }
  }
  // More measurements than the cache keeps, at every 1/64 pixel size from 1 to 40.
  for (int size_64 = 64; size_64 <= 40 * 64; ++size_64) {
    const float size = static_cast<float>(size_64) / 64.0f;
    for (char32_t code_point : {U'W', U'ệ', U'★', U'.'}) {
      const std::uint32_t glyph = cached->glyph_index(code_point);
      ASSERT_EQ(cached->advance(glyph, size), uncached->advance(glyph, size)) << size;
    }
  }
  EXPECT_GT(cached->cache().size(), 50u);
  EXPECT_LE(tiny->cache().used_bytes(), 4096u);
  EXPECT_EQ(uncached->cache().size(), 0u);
}

// Lines are copied from what an earlier frame left only where that gives the blended pixels: the
// frames below change what lies under the texts, their clips and their backgrounds.
TEST(DrawnLinesUse, CopiedLinesAreTheBlendedOnes) {
  auto uncached = Font::load_embedded(0);
  auto cached = Font::load_embedded();
  ASSERT_TRUE(uncached && cached);
  constexpr Color PANEL = 0xFF1E293B;
  const auto frame = [](Font& font, int number) {
    Canvas canvas(320, 180, number == 3 ? PANEL : BACKGROUND);
    Renderer renderer{canvas, font};
    if (number == 1) fill_rect(canvas, 30, 10, 6, 4, PANEL);  // a stripe under a kept line
    const std::string text = "Truyện tranh ★ 🚀 Đọc";
    draw_text(renderer, text, 4, 4, INK, 14);
    draw_text_clipped(renderer, text, 4, 28, INK, 14, 60 + 10 * (number % 2));
    draw_text(renderer, text, 0, 0, 0xFFFBBF24, 14);  // at the corner, over another line
    draw_text(renderer, text, 220, 164, INK, 16);     // past the right and bottom
    if (number % 2 == 0) {
      draw_text_fitted(renderer, text, 4, 52, INK, 13, 90);
    } else {  // the same place, cut through a glyph
      draw_text_clipped(renderer, text, 4, 52, INK, 13, 90);
    }
    draw_text_shortened(renderer, text, 4, 76, INK, 12.5f, 110);
    draw_text(renderer, text, 4, 100 - number, INK, 11.5f);  // moves down frame by frame
    std::string long_text;
    while (long_text.size() < 4096)
      long_text += text;
    draw_text_fitted(renderer, long_text, 4, 120, INK, 12, 200 + 10 * number);
    draw_text(renderer, long_text, 4 + number, 140, INK, 12);
    return canvas;
  };
  for (int number : {0, 0, 1, 2, 3, 0}) {
    EXPECT_TRUE(same_pixels(frame(*cached, number), frame(*uncached, number))) << number;
  }
  EXPECT_GT(cached->drawn_lines().size(), 5u);
  EXPECT_EQ(uncached->drawn_lines().size(), 0u);
}

}  // namespace
}  // namespace zentomi
