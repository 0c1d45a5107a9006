#include "graphics/page_panels.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zentomi
