#include "draw/image_drawing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace zentomi {
namespace {

constexpr Color BACKGROUND = 0xFF0B0F19;

// An image whose every pixel names its own coordinates, so a canvas pixel tells which source
// pixel was sampled for it: red the column, green the row, blue their high bits. Fully opaque
// ones say so, as a decoder does.
RgbaImage coordinate_image(std::uint32_t width, std::uint32_t height, std::uint8_t alpha = 255) {
  RgbaImage image{width, height, PixelBuffer(std::size_t{width} * height * 4)};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* p = &image.pixels[(std::size_t{y} * width + x) * 4];
      p[2] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[0] = static_cast<std::uint8_t>((x >> 8) | (y >> 8) << 4);
      p[3] = alpha;
    }
  }
  image.opaque = alpha == 255;
  return image;
}

std::pair<int, int> sampled(const Canvas& canvas, int x, int y) {
  const Color c = canvas.pixel(x, y);
  const int red = (c >> 16) & 0xFF, green = (c >> 8) & 0xFF, blue = c & 0xFF;
  return {red | (blue & 0x0F) << 8, green | (blue >> 4) << 8};
}

using Sample = std::pair<int, int>;

bool row_untouched(const Canvas& canvas, int x, int first_row, int end_row) {
  for (int y = first_row; y < end_row; ++y) {
    if (canvas.pixel(x, y) != BACKGROUND) return false;
  }
  return true;
}

int count_drawn(const Canvas& canvas) {
  int drawn = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x)
      drawn += canvas.pixel(x, y) != BACKGROUND;
  }
  return drawn;
}

TEST(DrawPage, FitsAPortraitPageToTheScreenHeight) {
  Canvas canvas(1280, 720, BACKGROUND);
  draw_page(canvas, coordinate_image(800, 1200), 0, 0, 0);
  // Scaled by 0.6 to 480 x 720, columns 400 to 879.
  EXPECT_EQ(count_drawn(canvas), 480 * 720);
  EXPECT_TRUE(row_untouched(canvas, 399, 0, 720));
  EXPECT_TRUE(row_untouched(canvas, 880, 0, 720));
  EXPECT_EQ(sampled(canvas, 400, 0), Sample(0, 0));
  EXPECT_EQ(sampled(canvas, 640, 360), Sample(400, 600));
  EXPECT_EQ(sampled(canvas, 879, 719), Sample(798, 1198));
}

// Every pixel drawn is the source pixel nearest below its position, whatever the scale, the
// offset and the width left over after whole groups of columns.
TEST(DrawPage, EveryDrawnPixelIsTheSourcePixelItsPositionNames) {
  const RgbaImage image = coordinate_image(301, 203);
  for (const float scale : {0.37f, 0.6f, 1.0f, 2.5f}) {
    for (const long long offset : {-13LL, 0LL, 7LL}) {
      Canvas canvas(203, 97, BACKGROUND);
      draw_scaled_page(canvas, image, scale, offset, -offset);
      const float step = 1.0f / scale;
      const auto source = [step](long long at, std::uint32_t size) {
        return static_cast<int>(
            std::min(static_cast<float>(at) * step, static_cast<float>(size - 1)));
      };
      const auto drawn_width = static_cast<long long>(scale * 301.0f);
      const auto drawn_height = static_cast<long long>(scale * 203.0f);
      for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
          const long long j = x - offset, i = y + offset;
          if (j < 0 || i < 0 || j >= drawn_width || i >= drawn_height) {
            ASSERT_EQ(canvas.pixel(x, y), BACKGROUND) << x << "," << y;
          } else {
            ASSERT_EQ(sampled(canvas, x, y), Sample(source(j, 301), source(i, 203)))
                << "scale " << scale << " offset " << offset << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(DrawPage, ZoomsAboutTheCentreAndPansByWholePixels) {
  const RgbaImage page = coordinate_image(800, 1200);
  Canvas zoomed(1280, 720, BACKGROUND);
  draw_page(zoomed, page, 3, 0, 0);
  // 960 x 1440 from x = 160, y = -360: canvas row 0 shows page row 300 of 1200.
  EXPECT_TRUE(row_untouched(zoomed, 159, 0, 720));
  EXPECT_TRUE(row_untouched(zoomed, 1120, 0, 720));
  EXPECT_EQ(sampled(zoomed, 160, 0), Sample(0, 300));
  EXPECT_EQ(sampled(zoomed, 1119, 719), Sample(799, 899));
  EXPECT_EQ(count_drawn(zoomed), 960 * 720);

  Canvas panned(1280, 720, BACKGROUND);
  draw_page(panned, page, 3, 0, 50);
  for (int y = 50; y < 720; y += 7) {
    for (int x = 160; x < 1120; x += 13)
      ASSERT_EQ(panned.pixel(x, y), zoomed.pixel(x, y - 50)) << x << "," << y;
  }
  EXPECT_EQ(sampled(panned, 160, 0), Sample(0, 258));  // rows above now come into view

  Canvas gone(1280, 720, BACKGROUND);
  draw_page(gone, page, 3, 0, 1100);
  draw_page(gone, page, 0, -900, 0);
  EXPECT_EQ(count_drawn(gone), 0) << "a page panned off the screen leaves the background";
}

TEST(DrawPage, TinyAndExtremeImages) {
  Canvas canvas(1280, 720, BACKGROUND);
  RgbaImage dot{1, 1, {255, 255, 255, 255}};
  draw_page(canvas, dot, 0, 0, 0);  // fitted: a 720 x 720 square in the middle
  EXPECT_EQ(count_drawn(canvas), 720 * 720);
  EXPECT_EQ(canvas.pixel(280, 0), 0xFFFFFFFF);
  EXPECT_EQ(canvas.pixel(999, 719), 0xFFFFFFFF);
  EXPECT_EQ(canvas.pixel(279, 0), BACKGROUND);

  // 30000 x 10 fits at 0.043, raised to the minimum 0.05: 1500 wide but 0 rows tall.
  Canvas strip(1280, 720, BACKGROUND);
  draw_page(strip, coordinate_image(30000, 10), 0, 0, 0);
  EXPECT_EQ(count_drawn(strip), 0);

  draw_page(strip, RgbaImage{}, 0, 0, 0);
  EXPECT_EQ(count_drawn(strip), 0);
}

TEST(DrawPage, BlendsBySourceAlpha) {
  Canvas canvas(4, 4, 0xFF000000);
  draw_page(canvas, RgbaImage{2, 1, {255, 255, 255, 0, 255, 255, 255, 128}}, 0, 0, 0);
  EXPECT_EQ(canvas.pixel(0, 1), 0xFF000000) << "alpha 0 leaves the background";
  EXPECT_EQ(canvas.pixel(3, 1), 0xFF808080) << "floor(255 * 128 / 255) = 128";
}

TEST(DrawPage, RowsRepeatedByTheZoomBlendOverTheirOwnBackground) {
  // A 4 x 4 page fitted to 16 x 16 and zoomed to 200 %: source pixel (c, r) covers canvas
  // columns 8c - 8 to 8c - 1 and rows 8r - 8 to 8r - 1. Every canvas row has its own blue.
  Canvas canvas(16, 16);
  for (int y = 0; y < 16; ++y)
    fill_rect(canvas, 0, y, 16, 1, 0xFF000000u | static_cast<Color>(y * 16));
  RgbaImage page = coordinate_image(4, 4);
  page.pixels[(1 * 4 + 2) * 4 + 3] = 128;  // (2, 1) is translucent
  page.opaque = false;
  draw_page(canvas, page, 3, 0, 0);
  EXPECT_EQ(canvas.pixel(12, 2), 0xFF010000u | 32 * 127 / 255) << "red 2 * 128 / 255 = 1";
  EXPECT_EQ(canvas.pixel(12, 3), 0xFF010000u | 48 * 127 / 255)
      << "a translucent row is blended again over its own row, never copied";
  EXPECT_EQ(sampled(canvas, 4, 3), Sample(1, 1));
  EXPECT_EQ(sampled(canvas, 4, 9), Sample(1, 2));
}

// Draws the cover twice (the second time from what was kept) both ways and compares.
::testing::AssertionResult kept_matches_fresh(const SharedImage& cover) {
  Canvas fresh(400, 400, BACKGROUND);
  Canvas kept(400, 400, BACKGROUND);
  for (int time = 0; time < 2; ++time) {
    draw_cover(fresh, *cover, 10, 20, 224, 205, 8);
    draw_cover(kept, cover, 10, 20, 224, 205, 8);
  }
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 400; ++x) {
      if (kept.pixel(x, y) != fresh.pixel(x, y))
        return ::testing::AssertionFailure() << "differs at " << x << "," << y;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(DrawCover, AKeptCoverDrawsTheSamePixelsAsAFreshOneAndFollowsItsImage) {
  for (const std::uint8_t alpha : {std::uint8_t{255}, std::uint8_t{100}}) {
    // Covers alive together, drawn at the same size, each keep their own pixels.
    const SharedImage first = std::make_shared<const RgbaImage>(coordinate_image(300, 400, alpha));
    const SharedImage second = std::make_shared<const RgbaImage>(coordinate_image(400, 300, alpha));
    for (int time = 0; time < 2; ++time) {
      EXPECT_TRUE(kept_matches_fresh(first));
      EXPECT_TRUE(kept_matches_fresh(second));
    }
    // A cover made where a freed one lived (allocated apart from its count, so the memory is
    // freed at once) never shows the freed one.
    for (std::uint32_t round = 0; round < 3; ++round) {
      const SharedImage cover(new RgbaImage(coordinate_image(300 + round * 7, 400, alpha)));
      EXPECT_TRUE(kept_matches_fresh(cover)) << "round " << round;
    }
  }
}

// Frames of scroll reading and paging, each drawn with the rows kept from the frames before and
// from nothing: the two canvases must agree every time.
TEST(DrawnPages, KeptRowsDrawTheSamePixelsAsFreshOnesFrameAfterFrame) {
  // Pages of one size told apart by their blue.
  const auto page = [](std::uint8_t tint) {
    auto image = std::make_shared<RgbaImage>(coordinate_image(1600, 2400));
    for (std::size_t i = 0; i < image->pixels.size(); i += 4)
      image->pixels[i] ^= tint;
    return image;
  };
  const SharedImage tall = page(0);
  const SharedImage next = page(0x80);
  const SharedImage clear_one = std::make_shared<const RgbaImage>(coordinate_image(300, 500, 90));
  struct Frame {
    const char* what;
    SharedImage image;
    float scale;
    long long left;
    long long top;
  };
  const std::vector<Frame> frames = {
      {"first frame", tall, 0.2f, 0, 0},
      {"scrolled down", tall, 0.2f, 0, -37},
      {"scrolled back up", tall, 0.2f, 0, -5},
      {"jumped far", tall, 0.2f, 0, -300},
      {"panned", tall, 0.2f, -3, -300},
      {"zoomed", tall, 0.45f, -3, -300},
      {"another page", next, 0.45f, -3, -300},
      {"a page with alpha", clear_one, 0.5f, 10, 4},
      {"the first page again", tall, 0.45f, -3, -300},
  };
  DrawnPages kept;
  Canvas with(320, 120, BACKGROUND);
  for (const Frame& frame : frames) {
    SCOPED_TRACE(frame.what);
    Canvas fresh(320, 120, BACKGROUND);
    clear(with, BACKGROUND);
    draw_scaled_page(fresh, *frame.image, frame.scale, frame.left, frame.top);
    draw_scaled_page(with, frame.image, frame.scale, frame.left, frame.top, kept);
    EXPECT_TRUE(std::equal(fresh.data(), fresh.data() + std::size_t{320} * 120, with.data()));
  }
  // A page made where a freed one lived never shows the freed one's rows.
  for (std::uint8_t round = 1; round <= 3; ++round) {
    const SharedImage made = page(round);
    Canvas fresh(320, 120, BACKGROUND);
    draw_scaled_page(fresh, *made, 0.2f, 0, 0);
    draw_scaled_page(with, made, 0.2f, 0, 0, kept);
    EXPECT_TRUE(std::equal(fresh.data(), fresh.data() + std::size_t{320} * 120, with.data()))
        << int{round};
  }
}

TEST(DrawCover, CropsTheCentreOfA300x400CoverInThe180x235Box) {
  Canvas canvas(1280, 720, BACKGROUND);
  draw_cover(canvas, coordinate_image(300, 400), 90, 78, 180, 235, 8);
  // Scale max(0.6, 0.5875) = 0.6: full width, 4.17 rows cropped at the top.
  EXPECT_EQ(sampled(canvas, 98, 78), Sample(13, 4));
  EXPECT_EQ(sampled(canvas, 90, 86), Sample(0, 17));
  EXPECT_EQ(sampled(canvas, 90 + 171, 78 + 117), Sample(285, 199));
  EXPECT_EQ(sampled(canvas, 90 + 179, 78 + 117), Sample(298, 199));
  EXPECT_EQ(sampled(canvas, 90 + 100, 78 + 234), Sample(166, 394));
  EXPECT_EQ(canvas.pixel(90, 78), BACKGROUND) << "corner pixels are never written";
  EXPECT_EQ(canvas.pixel(269, 312), BACKGROUND);
  EXPECT_EQ(canvas.pixel(89, 150), BACKGROUND);
  EXPECT_EQ(canvas.pixel(270, 150), BACKGROUND);
}

TEST(DrawCover, WritesExactlyTheRoundedShape) {
  Canvas canvas(300, 300, BACKGROUND);
  RgbaImage white{1, 1, {255, 255, 255, 255}};
  draw_cover(canvas, white, 24 + 8, 66 + 8, 232 - 16, 205, 8);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const bool inside = x >= 32 && x < 248 && y >= 74 && y < 279 &&
                          inside_rounded_rect(32, 74, 216, 205, 8, x, y);
      ASSERT_EQ(canvas.pixel(x, y) != BACKGROUND, inside) << x << "," << y;
    }
  }
}

TEST(DrawCover, AlphaZeroLeavesTheBackgroundAndEmptyBoxesDrawNothing) {
  Canvas canvas(64, 64, BACKGROUND);
  draw_cover(canvas, coordinate_image(30, 40, 0), 4, 4, 44, 56, 5);
  draw_cover(canvas, coordinate_image(30, 40), 4, 4, 0, 56, 5);
  draw_cover(canvas, coordinate_image(30, 40), 4, 4, 44, -1, 5);
  draw_cover(canvas, coordinate_image(30, 40), 100, 4, 44, 56, 5);
  draw_cover(canvas, RgbaImage{}, 4, 4, 44, 56, 5);
  EXPECT_EQ(count_drawn(canvas), 0);
}

// The rule written out pixel by pixel, for comparison with the row-at-a-time drawing.
void reference_cover(Canvas& canvas, const RgbaImage& image, int x, int y, int w, int h, int r) {
  const float iw = static_cast<float>(image.width), ih = static_cast<float>(image.height);
  const float u = std::max(static_cast<float>(w) / iw, static_cast<float>(h) / ih);
  const float v = 1.0f / u;
  const float ox = std::max((iw - static_cast<float>(w) / u) * 0.5f, 0.0f);
  const float oy = std::max((ih - static_cast<float>(h) / u) * 0.5f, 0.0f);
  for (int py = std::max(y, 0); py < std::min(canvas.height(), y + h); ++py) {
    for (int px = std::max(x, 0); px < std::min(canvas.width(), x + w); ++px) {
      if (!inside_rounded_rect(x, y, w, h, r, px, py)) continue;
      const auto sx =
          std::min(static_cast<std::uint32_t>(std::trunc(ox + v * static_cast<float>(px - x))),
                   image.width - 1);
      const auto sy =
          std::min(static_cast<std::uint32_t>(std::trunc(oy + v * static_cast<float>(py - y))),
                   image.height - 1);
      const std::uint8_t* s = &image.pixels[(std::size_t{sy} * image.width + sx) * 4];
      blend_pixel(canvas, px, py, s[2], s[1], s[0], s[3]);
    }
  }
}

TEST(DrawCover, MatchesThePixelByPixelRuleAnywhereOnTheCanvas) {
  std::mt19937 random(7);
  auto between = [&](int low, int high) {
    return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
  };
  for (int round = 0; round < 400; ++round) {
    const RgbaImage image = coordinate_image(between(1, 90), between(1, 90),
                                             static_cast<std::uint8_t>(between(0, 255)));
    const int x = between(-40, 70), y = between(-40, 70);
    const int w = between(1, 80), h = between(1, 80), r = between(-2, 30);
    Canvas fast(64, 48, BACKGROUND), slow(64, 48, BACKGROUND);
    draw_cover(fast, image, x, y, w, h, r);
    reference_cover(slow, image, x, y, w, h, r);
    ASSERT_TRUE(std::equal(fast.data(), fast.data() + 64 * 48, slow.data()))
        << image.width << "x" << image.height << " into " << x << "," << y << " " << w << "x" << h
        << " r" << r;
  }
}

}  // namespace
}  // namespace zentomi
