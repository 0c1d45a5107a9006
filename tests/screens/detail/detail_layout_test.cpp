#include "screens/detail/detail_layout.hpp"

#include <gtest/gtest.h>

#include <string>

#include "screens/dispatch.hpp"
#include "support/golden.hpp"
#include "support/no_services.hpp"

namespace zentomi {
namespace {

using testing::NoServices;

// The detail screen of one title, as opening it leaves it.
AppState detail_of(int width, int height, const std::string& title) {
  AppState state = make_initial_state(width, height);
  state.screen = Screen::Detail;
  state.details.current_item = MangaItem{title, "https://site/t", "", "", ""};
  return state;
}

int rightmost_column_with(const Canvas& canvas, Color color, int top, int bottom) {
  int rightmost = -1;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.pixel(x, y) == color) rightmost = std::max(rightmost, x);
    }
  }
  return rightmost;
}

TEST(DetailLayout, TheContinueLineStopsBeforeTheFirstChapterHint) {
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    Canvas canvas(width, height);
    Font font = Font::load_embedded().value();
    Renderer renderer{canvas, font};
    AppState state = detail_of(width, height, "T");
    state.details.detail = MangaDetail{"T", "", "", "", "Action", "Summary", {{"Chapter 1", "u"}}};
    state.details.chapters = state.details.chapters_site_order = state.details.detail->chapters;
    state.details.current_history =
        MangaHistory{"https://site/t",
                     "T",
                     "Chapter 1234 - Trận chiến cuối cùng ở thành phố phía bắc",
                     "u",
                     4,
                     10,
                     0};
    NoServices services;
    draw_screen(renderer, state, services);
    const int rightmost = rightmost_column_with(canvas, palette::STAR_TEXT, 78, 100);
    EXPECT_GT(rightmost, 600) << "the continue line is drawn";
    EXPECT_LT(rightmost, width - 240) << width << "x" << height;
  }
}

// A chapter title too long for the line is shortened: the page and the key stay in view.
TEST(DetailLayout, TheContinueLineKeepsItsPageAndKeyWhateverTheChapterTitle) {
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    const auto frame = [&](std::uint64_t page) {
      Canvas canvas(width, height);
      Font font = Font::load_embedded().value();
      Renderer renderer{canvas, font};
      AppState state = detail_of(width, height, "T");
      state.details.detail = MangaDetail{"T", "", "", "", "", "", {{"Chapter 1", "u"}}};
      state.details.chapters = state.details.chapters_site_order = state.details.detail->chapters;
      state.details.current_history = MangaHistory{
          "https://site/t",
          "T",
          "Chapter 1234 - Trận chiến cuối cùng ở thành phố phía bắc của vương quốc bị lãng quên",
          "u",
          page,
          10,
          0};
      NoServices services;
      draw_screen(renderer, state, services);
      return canvas;
    };
    const Canvas fifth = frame(4);
    const Canvas seventh = frame(6);
    bool page_shown = false;
    for (int x = 371; x < width - 240 && !page_shown; ++x) {
      for (int y = 78; y < 100 && !page_shown; ++y)
        page_shown = fifth.pixel(x, y) != seventh.pixel(x, y);
    }
    EXPECT_TRUE(page_shown) << width;
    EXPECT_LT(rightmost_column_with(fifth, palette::STAR_TEXT, 78, 100), width - 240);
  }
}

// A failed load replaces the promise of data by the reason, and keeps the rest of the loading
// layout (tests/golden/detail-failed/; tools/update-golden.sh rewrites them).
TEST(DetailLayout, AFailedLoadSaysWhyOnBothScreens) {
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    Canvas canvas(width, height);
    Font font = Font::load_embedded().value();
    Renderer renderer{canvas, font};
    AppState state = detail_of(width, height, "Kiếm Khách Mùa Thu");
    state.details.detail_error = "Network error: exit code Some(6)";
    NoServices services;
    draw_screen(renderer, state, services);
    EXPECT_TRUE(testing::matches_golden(
        testing::rgb_from_argb(canvas.data(), static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height)),
        "detail-failed/" + std::to_string(width) + "x" + std::to_string(height)));
  }
}

}  // namespace
}  // namespace zentomi
