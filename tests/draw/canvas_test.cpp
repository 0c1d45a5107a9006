#include "draw/canvas.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace zentomi {
namespace {

constexpr Color BLACK = 0xFF000000;
constexpr Color WHITE = 0xFFFFFFFF;
constexpr Color RED = 0xFFFF0000;

int count_pixels(const Canvas& canvas, Color color) {
  int count = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x)
      count += canvas.pixel(x, y) == color;
  }
  return count;
}

TEST(Canvas, StartsWithTheInitialFillAndClears) {
  Canvas canvas(4, 3);
  EXPECT_EQ(count_pixels(canvas, palette::INITIAL_FILL), 12);
  clear(canvas, palette::FRAME_BACKGROUND);
  EXPECT_EQ(count_pixels(canvas, 0xFF0B0F19), 12);
}

TEST(Canvas, MovedFromIsEmptyAndSafeToDrawOn) {
  Canvas source(4, 3, RED);
  Canvas moved(std::move(source));
  EXPECT_EQ(count_pixels(moved, RED), 12);
  Canvas assigned(2, 2, BLACK);
  assigned = std::move(moved);
  EXPECT_EQ(count_pixels(assigned, RED), 12);
  for (Canvas* empty : {&source, &moved}) {
    EXPECT_EQ(empty->width(), 0);  // NOLINT(bugprone-use-after-move): the state after a move
    EXPECT_EQ(empty->height(), 0);
    clear(*empty, WHITE);
    fill_rect(*empty, 0, 0, 4, 3, WHITE);
    darken_screen(*empty);
  }
}

TEST(FillRect, ClipsToTheCanvasAndIgnoresEmptySizes) {
  Canvas canvas(10, 10, BLACK);
  fill_rect(canvas, -3, -2, 5, 4, RED);  // visible part: x 0..1, y 0..1
  EXPECT_EQ(count_pixels(canvas, RED), 4);
  EXPECT_EQ(canvas.pixel(1, 1), RED);
  EXPECT_EQ(canvas.pixel(2, 1), BLACK);

  fill_rect(canvas, 8, 8, 100, 100, WHITE);  // past the right and bottom edges
  EXPECT_EQ(count_pixels(canvas, WHITE), 4);

  Canvas untouched(10, 10, BLACK);
  fill_rect(untouched, 20, 0, 5, 5, RED);
  fill_rect(untouched, 0, -9, 5, 5, RED);
  fill_rect(untouched, 2, 2, 0, 5, RED);
  fill_rect(untouched, 2, 2, 5, -1, RED);
  fill_rect(untouched, 2147483000, 2147483000, 2147483000, 2147483000, RED);
  EXPECT_EQ(count_pixels(untouched, BLACK), 100);
}

TEST(RoundedRect, LeavesExactlyTheCornerPixelsOutsideTheCircle) {
  constexpr int r = 6;
  Canvas canvas(20, 20, BLACK);
  fill_rounded_rect(canvas, 0, 0, 20, 20, r, RED);
  // Top-left corner square: pixel (px, py) has dx = 6 - px, dy = 6 - py.
  int untouched_in_corner = 0;
  for (int py = 0; py < r; ++py) {
    for (int px = 0; px < r; ++px) {
      const int dx = r - px;
      const int dy = r - py;
      const bool inside = dx * dx + dy * dy <= r * r;
      EXPECT_EQ(canvas.pixel(px, py) == RED, inside) << px << "," << py;
      untouched_in_corner += !inside;
    }
  }
  EXPECT_GT(untouched_in_corner, 0);
  EXPECT_EQ(canvas.pixel(0, 0), BLACK);    // the corner pixel itself
  EXPECT_EQ(canvas.pixel(6, 0), RED);      // first row between the corners (dx = 0)
  EXPECT_EQ(canvas.pixel(5, 0), BLACK);    // dx = 1, dy = 6: 37 > 36
  EXPECT_EQ(canvas.pixel(19, 19), BLACK);  // bottom-right corner: dx = dy = 6
  EXPECT_EQ(canvas.pixel(13, 19), RED);    // last straight column of the bottom row
  EXPECT_EQ(canvas.pixel(14, 19), BLACK);
  // The four corners are symmetric.
  EXPECT_EQ(count_pixels(canvas, BLACK), 4 * untouched_in_corner);
}

TEST(RoundedRect, MembershipRuleMatchesTheFormula) {
  // Radius 0 is the plain rectangle.
  EXPECT_TRUE(inside_rounded_rect(5, 5, 10, 10, 0, 5, 5));
  // The outermost row sits at distance r from the corner centre.
  EXPECT_FALSE(inside_rounded_rect(0, 0, 24, 24, 10, 0, 0));
  EXPECT_TRUE(inside_rounded_rect(0, 0, 24, 24, 10, 10, 0));
  EXPECT_FALSE(inside_rounded_rect(0, 0, 24, 24, 10, 9, 0));
  EXPECT_TRUE(inside_rounded_rect(0, 0, 24, 24, 10, 4, 2));   // dx 6, dy 8: 100 <= 100
  EXPECT_FALSE(inside_rounded_rect(0, 0, 24, 24, 10, 3, 2));  // dx 7, dy 8
}

TEST(RoundedRect, FillAndDarkenAgreeWithTheMembershipRuleEverywhere) {
  // Narrow, short, radius larger than half the size, negative radius, partly off the canvas.
  const int cases[][5] = {{2, 3, 20, 14, 6},   {0, 0, 5, 5, 4},      {-4, -3, 12, 9, 5},
                          {10, 10, 3, 30, 8},  {1, 1, 30, 2, 10},    {5, 2, 17, 11, -3},
                          {30, 20, 15, 15, 0}, {-2, 25, 40, 10, 12}, {3, 3, 1, 1, 1}};
  for (const auto& c : cases) {
    Canvas filled(40, 32, BLACK);
    Canvas darkened(40, 32, WHITE);
    fill_rounded_rect(filled, c[0], c[1], c[2], c[3], c[4], RED);
    darken_rounded_rect(darkened, c[0], c[1], c[2], c[3], c[4]);
    for (int py = 0; py < 32; ++py) {
      for (int px = 0; px < 40; ++px) {
        const bool in_box = px >= c[0] && px < c[0] + c[2] && py >= c[1] && py < c[1] + c[3];
        const bool inside = in_box && inside_rounded_rect(c[0], c[1], c[2], c[3], c[4], px, py);
        ASSERT_EQ(filled.pixel(px, py) == RED, inside)
            << c[0] << "," << c[1] << "," << c[2] << "," << c[3] << " r" << c[4] << " at " << px
            << "," << py;
        ASSERT_EQ(darkened.pixel(px, py) == 0xFF333333u, inside);
      }
    }
  }
}

TEST(Darkening, UsesExactIntegerFactors) {
  Canvas canvas(3, 3, WHITE);
  darken_screen(canvas);
  EXPECT_EQ(count_pixels(canvas, 0xFF222222), 9);

  Canvas badge(3, 3, WHITE);
  darken_rounded_rect(badge, 0, 0, 3, 3, 0);
  EXPECT_EQ(count_pixels(badge, 0xFF333333), 9);

  Canvas mixed(1, 1, 0xFF0B0F19);
  darken_screen(mixed);
  EXPECT_EQ(mixed.pixel(0, 0), 0xFF010203u);  // 11, 15, 25 -> 1, 2, 3
}

TEST(Darkening, EveryChannelValueFollowsTheExactDivision) {
  Canvas screen(256, 1, BLACK);
  Canvas badge(256, 1, BLACK);
  for (int c = 0; c < 256; ++c) {
    const Color value = 0xFF000000u | (static_cast<Color>(c) << 16) |
                        (static_cast<Color>(255 - c) << 8) | static_cast<Color>(c / 2);
    fill_rect(screen, c, 0, 1, 1, value);
    fill_rect(badge, c, 0, 1, 1, value);
  }
  darken_screen(screen);
  darken_rounded_rect(badge, 0, 0, 256, 1, 0);
  for (int c = 0; c < 256; ++c) {
    const auto expect = [c](int n, int d) {
      return 0xFF000000u | (static_cast<Color>(c * n / d) << 16) |
             (static_cast<Color>((255 - c) * n / d) << 8) | static_cast<Color>((c / 2) * n / d);
    };
    EXPECT_EQ(screen.pixel(c, 0), expect(2, 15)) << c;
    EXPECT_EQ(badge.pixel(c, 0), expect(1, 5)) << c;
  }
}

TEST(Darkening, BandDarkensWholeRowsInItsRangeOnly) {
  Canvas canvas(4, 6, WHITE);
  darken_band(canvas, 2, 4);
  for (int y = 0; y < 6; ++y) {
    const Color expected = (y == 2 || y == 3) ? 0xFF222222 : WHITE;
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
  }
  darken_band(canvas, -5, 100);  // clipped, never out of bounds
  EXPECT_EQ(canvas.pixel(0, 0), 0xFF222222u);
}

TEST(Blend, DividesBy255AndKeepsAlphaOpaque) {
  Canvas canvas(3, 1, BLACK);
  blend_pixel(canvas, 0, 0, 255, 255, 255, 128);
  blend_pixel(canvas, 1, 0, 255, 255, 255, 1);
  blend_pixel(canvas, 2, 0, 255, 255, 255, 0);
  EXPECT_EQ(canvas.pixel(0, 0), 0xFF808080u);
  EXPECT_EQ(canvas.pixel(1, 0), 0xFF010101u);
  EXPECT_EQ(canvas.pixel(2, 0), BLACK);

  Canvas over(1, 1, 0xFF204060);
  blend_pixel(over, 0, 0, 0x10, 0x80, 0xF0, 255);
  EXPECT_EQ(over.pixel(0, 0), 0xFF1080F0u);
  blend_pixel(over, 0, 0, 200, 100, 0, 77);
  // floor((s*77 + d*178) / 255) per channel
  EXPECT_EQ(over.pixel(0, 0), 0xFF4777A7u);
  blend_pixel(over, -1, 0, 0, 0, 0, 255);  // clipped
  blend_pixel(over, 0, 1, 0, 0, 0, 255);
  EXPECT_EQ(over.pixel(0, 0), 0xFF4777A7u);
}

// Every source value over every destination value at every alpha, in each channel at once.
TEST(Blend, EveryChannelFollowsTheExactDivisionForEveryAlpha) {
  int wrong = 0;
  for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
    for (std::uint32_t s = 0; s < 256; ++s) {
      for (std::uint32_t d = 0; d < 256; ++d) {
        const std::uint32_t sources[3] = {s, 255 - s, (s * 7) % 256};
        const std::uint32_t targets[3] = {d, (d * 3) % 256, 255 - d};
        const Color destination = 0xFF000000u | targets[0] << 16 | targets[1] << 8 | targets[2];
        Color expected = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
          expected |= (sources[c] * alpha + targets[c] * (255 - alpha)) / 255 << (16 - 8 * c);
        if (blend_color(destination, sources[0], sources[1], sources[2], alpha) != expected &&
            ++wrong <= 5)
          ADD_FAILURE() << "alpha " << alpha << " source " << s << " destination " << d;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace zentomi
