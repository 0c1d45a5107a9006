#include "screens/reader/page_panels.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/golden.hpp"

namespace zentomi {
namespace {

bool any_pixel(const Canvas& canvas, int x, int y, int w, int h, Color color) {
  for (int py = y; py < y + h; ++py) {
    for (int px = x; px < x + w; ++px) {
      if (canvas.pixel(px, py) == color) return true;
    }
  }
  return false;
}

TEST(PagePanels, LoadingPanelIsCentredWithItsTwoLines) {
  Font font = Font::load_embedded().value();
  Canvas canvas(1280, 720, palette::FRAME_BACKGROUND);
  Renderer renderer{canvas, font};
  draw_page_loading_panel(renderer, 3, 20);
  // Panel (480, 320, 320, 80) with radius 10.
  EXPECT_EQ(canvas.pixel(482, 360), palette::PANEL);
  EXPECT_EQ(canvas.pixel(480, 320), palette::FRAME_BACKGROUND);
  EXPECT_EQ(canvas.pixel(799, 360), palette::PANEL);
  EXPECT_EQ(canvas.pixel(800, 360), palette::FRAME_BACKGROUND);
  EXPECT_TRUE(any_pixel(canvas, 530, 350, 260, 20, palette::HIGHLIGHT_TEXT));
  EXPECT_TRUE(any_pixel(canvas, 580, 375, 180, 16, palette::SECONDARY_TEXT));
  EXPECT_FALSE(any_pixel(canvas, 0, 0, 1280, 300, palette::HIGHLIGHT_TEXT));
}

TEST(PagePanels, FailureTextHasNoPanel) {
  Font font = Font::load_embedded().value();
  Canvas canvas(1024, 768, palette::FRAME_BACKGROUND);
  Renderer renderer{canvas, font};
  draw_page_failure_text(renderer);
  EXPECT_TRUE(any_pixel(canvas, 372, 384, 330, 20, palette::SECONDARY_TEXT));
  EXPECT_FALSE(any_pixel(canvas, 0, 0, 1024, 768, palette::PANEL));
}

// No walk-through reaches the reader yet, so the panels are compared with reference frames of
// their own, on both screens (tests/golden/page-panels/; tools/update-golden.sh rewrites them).
TEST(PagePanels, MatchTheirReferenceFramesOnBothScreens) {
  Font font = Font::load_embedded().value();
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    const std::string folder =
        "page-panels/" + std::to_string(width) + "x" + std::to_string(height) + "/";
    Canvas loading(width, height, palette::FRAME_BACKGROUND);
    Renderer loading_renderer{loading, font};
    draw_page_loading_panel(loading_renderer, 7, 128);
    EXPECT_TRUE(testing::matches_golden(
        testing::rgb_from_argb(loading.data(), static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height)),
        folder + "loading"));
    Canvas failure(width, height, palette::FRAME_BACKGROUND);
    Renderer failure_renderer{failure, font};
    draw_page_failure_text(failure_renderer);
    EXPECT_TRUE(testing::matches_golden(
        testing::rgb_from_argb(failure.data(), static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height)),
        folder + "failure"));
  }
}

}  // namespace
}  // namespace zentomi
