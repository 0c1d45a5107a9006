#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "draw/text.hpp"

namespace zentomi {
namespace {

using Lines = std::vector<std::string>;

constexpr Color BACKGROUND = 0xFF0B0F19;
constexpr Color INK = 0xFF94A3B8;

Font& shared_font() {
  static Font font = *Font::load_embedded();
  return font;
}

int width_of(std::string_view text, float size = 12.0f) {
  return static_cast<int>(text_width(shared_font(), text, size));
}

Lines wrap(std::string_view text, int max_width, int max_lines, float size = 12.0f) {
  return wrap_text(shared_font(), text, max_width, size, max_lines);
}

TEST(WrapText, WhiteSpaceRunsAndLineFeedsCollapseToOneSpace) {
  EXPECT_EQ(wrap("  Một   hai\n\nba\t\r\n bốn  ", 1000, 3), Lines{"Một hai ba bốn"});
  // Every White_Space character separates words, not just the ASCII ones.
  EXPECT_EQ(wrap("a\u00A0b\u3000c\u2028d\u0085e\u202Ff\u2003g", 1000, 3), Lines{"a b c d e f g"});
  // Zero-width space and no-break characters outside the set stay inside words.
  EXPECT_EQ(wrap("a\u200Bb c", 1000, 3), Lines{"a\u200Bb c"});
  EXPECT_EQ(wrap("", 1000, 3), Lines{});
  EXPECT_EQ(wrap(" \n\t\u3000 ", 1000, 3), Lines{});
}

// Long texts are wrapped once and the lines kept while the text stays where it is; another text
// of the same length is wrapped afresh.
TEST(DrawWrappedText, ALongTextDrawsWhatItsWordsDrawAndIsNotMistakenForAnother) {
  const auto drawn = [](std::string_view text) {
    Canvas canvas(400, 120, BACKGROUND);
    Renderer renderer{canvas, shared_font()};
    draw_wrapped_text(renderer, text, 10, 10, 300, 22, INK, 17.5f, 2);
    return canvas;
  };
  const auto same = [](const Canvas& a, const Canvas& b) {
    return std::equal(a.data(), a.data() + 400 * 120, b.data());
  };
  const std::string blanks(std::size_t{1} << 20, ' ');
  const std::string padded = "A" + blanks + "B";
  const Canvas expected = drawn("A B");
  EXPECT_TRUE(same(drawn(padded), expected));
  EXPECT_TRUE(same(drawn(padded), expected)) << "the kept lines";
  std::string other = padded;
  other[blanks.size() / 2] = 'C';  // the same length and ends, another word in the middle
  const std::string other_copy = other;
  EXPECT_TRUE(same(drawn(other_copy), drawn("A C B")));
}

TEST(WrapText, FillsEachLineUpToTheWidthInclusive) {
  const std::string two = "Chương mới";
  const int exact = width_of(two);
  EXPECT_EQ(wrap("Chương mới nhất", exact, 3), (Lines{"Chương mới", "nhất"}));
  EXPECT_EQ(wrap("Chương mới nhất", exact - 1, 3), (Lines{"Chương", "mới nhất"}));
  EXPECT_EQ(wrap("Chương mới nhất", width_of("Chương mới nhất"), 3), Lines{"Chương mới nhất"});
}

TEST(WrapText, AWordWiderThanTheLineStandsAloneAndOverflows) {
  const std::string wide(40, 'W');
  ASSERT_GT(width_of(wide), 296);
  EXPECT_EQ(wrap(wide, 296, 7), Lines{wide});
  EXPECT_EQ(wrap(wide + " một hai", 296, 7), (Lines{wide, "một hai"}));
  EXPECT_EQ(wrap("ba " + wide + " bốn", 296, 7), (Lines{"ba", wide, "bốn"}));
}

TEST(WrapText, LinesPastTheLimitAreDroppedSilently) {
  const int holds_two = width_of("một hai");
  EXPECT_EQ(wrap("một hai ba", holds_two, 1), Lines{"một hai"});
  EXPECT_EQ(wrap("một hai ba", holds_two, 2), (Lines{"một hai", "ba"}));
  EXPECT_EQ(wrap("một hai ba bốn năm sáu", holds_two, 2), (Lines{"một hai", "ba bốn"}));
  EXPECT_EQ(wrap("một hai ba", holds_two, 0), Lines{});
  EXPECT_EQ(wrap("một hai ba", holds_two, -1), Lines{});
}

TEST(DrawWrappedText, DrawsEachLineLineHeightBelowTheLast) {
  Font& font = shared_font();
  const std::string summary =
      "Một thiếu niên bình thường bỗng phát hiện mình có thể nhìn thấy những điều người khác "
      "không thấy, và từ đó cuộc đời cậu thay đổi mãi mãi.";
  const Lines lines = wrap_text(font, summary, 296, 12.0f, 3);
  ASSERT_EQ(lines.size(), 3u);

  Canvas wrapped(360, 120, BACKGROUND);
  Renderer on_wrapped{wrapped, font};
  draw_wrapped_text(on_wrapped, summary, 12, 30, 296, 18, INK, 12.0f, 3);

  Canvas by_hand(360, 120, BACKGROUND);
  Renderer on_hand{by_hand, font};
  for (std::size_t i = 0; i < lines.size(); ++i)
    draw_text(on_hand, lines[i], 12, 30 + 18 * static_cast<int>(i), INK, 12.0f);
  EXPECT_TRUE(std::equal(wrapped.data(), wrapped.data() + 360 * 120, by_hand.data()));

  // Nothing of the dropped rest is drawn below the third line.
  for (int y = 30 + 3 * 18 + 4; y < 120; ++y) {
    for (int x = 0; x < 360; ++x)
      ASSERT_EQ(wrapped.pixel(x, y), BACKGROUND) << x << "," << y;
  }
}

}  // namespace
}  // namespace zentomi
