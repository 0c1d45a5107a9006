#include "screens/reader/page_panels.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "screens/dispatch.hpp"
#include "support/golden.hpp"
#include "support/no_services.hpp"

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

// The reader never counts pages it does not have, and says so when there is nothing to draw.
TEST(PagePanels, AChapterWithoutPagesOrAPageTooThinToDrawSaysSo) {
  Font font = Font::load_embedded().value();
  auto thin = std::make_shared<RgbaImage>();
  thin->width = 16384;
  thin->height = 1;
  thin->pixels.assign(std::size_t{16384} * 4, 255);
  const auto frame = [&](bool loading, bool with_pages, SharedImage image, bool scroll) {
    AppState state = make_initial_state(1024, 768);
    state.screen = Screen::Reader;
    state.reader.reader_loading = loading;
    if (with_pages) state.reader.pages = {"https://cdn/1.jpg"};
    state.reader.page_image = std::move(image);
    state.reader.scroll_reading = scroll;
    Canvas canvas(1024, 768);
    Renderer renderer{canvas, font};
    testing::NoServices services;
    draw_screen(renderer, state, services);
    return canvas;
  };
  const auto failure_only = [&] {
    Canvas canvas(1024, 768, palette::FRAME_BACKGROUND);
    Renderer renderer{canvas, font};
    draw_page_failure_text(renderer);
    return canvas;
  }();
  const auto middle_differs = [&](const Canvas& a, const Canvas& b) {
    for (int y = 370; y < 410; ++y) {
      for (int x = 0; x < 1024; ++x) {
        if (a.pixel(x, y) != b.pixel(x, y)) return true;
      }
    }
    return false;
  };
  // The page list on its way: a loading panel, and no "Trang 1 / 0" in the head-up display.
  const Canvas waiting = frame(true, false, nullptr, false);
  EXPECT_TRUE(any_pixel(waiting, 352, 344, 320, 80, palette::PANEL));
  EXPECT_FALSE(any_pixel(waiting, 1024 - 140, 0, 140, 36, palette::HIGHLIGHT_TEXT));
  EXPECT_TRUE(any_pixel(frame(true, true, nullptr, false), 1024 - 140, 0, 140, 36,
                        palette::HIGHLIGHT_TEXT));
  // No pages: the empty-chapter message, not the failure text.
  const Canvas empty = frame(false, false, nullptr, false);
  EXPECT_TRUE(any_pixel(empty, 0, 380, 1024, 24, palette::SECONDARY_TEXT));
  EXPECT_TRUE(middle_differs(empty, failure_only));
  // A 16384 x 1 page is less than a pixel high fitted or scrolled: the failure text.
  for (const bool scroll : {false, true}) {
    const Canvas thin_page = frame(false, true, thin, scroll);
    EXPECT_FALSE(middle_differs(thin_page, failure_only)) << scroll;
    EXPECT_TRUE(any_pixel(thin_page, 372, 384, 330, 20, palette::SECONDARY_TEXT)) << scroll;
  }
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
