#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw/text.hpp"
#include "support/coded_pages.hpp"
#include "support/model_printers.hpp"
#include "support/reader_harness.hpp"

namespace zentomi {
namespace {

using testing::CHAPTER_A;
using testing::page;
using testing::ReaderHarness;
using Source = testing::PixelSource;
using testing::coded_page;
using testing::frame_of;
using testing::source_at;

struct Screen {
  int width;
  int height;
};
constexpr Screen SCREENS[] = {{1280, 720}, {1024, 768}};

// The frame the reader draws now, pixel for pixel.
std::vector<Color> pixels(const AppState& state) {
  const Canvas canvas = frame_of(state);
  return {canvas.data(), canvas.data() + std::size_t(canvas.width()) * canvas.height()};
}

TEST(ScrollReading, DownReadsAStripToItsLastRowAndIntoTheNextPageUpComesBackToItsBottom) {
  for (const Screen screen : SCREENS) {
    SCOPED_TRACE(::testing::Message() << screen.width << " x " << screen.height);
    ReaderHarness h(screen.width, screen.height);
    h.open(1, 3);
    h.arrive(page(720, 6000));  // a tall strip: scroll reading turns itself on
    ASSERT_TRUE(h.state.reader.scroll_reading);
    const std::int32_t step = screen.height * 3 / 4;
    // While the next page is on its way the strip ends half a screen past the boundary.
    const std::int32_t waiting_end = 6000 - screen.height / 2;
    for (std::int32_t expected = step; expected < waiting_end + step; expected += step) {
      h.press(Button::Down);
      EXPECT_EQ(h.state.reader.scroll, std::min(expected, waiting_end));
      EXPECT_EQ(h.state.reader.page_index, 0u);
    }
    ASSERT_EQ(h.page_jobs().size(), 2u);  // the page ahead, once
    EXPECT_EQ(h.page_jobs()[1].url, CHAPTER_A + "/p1");
    EXPECT_EQ(h.page_jobs()[1].index, 1u);

    h.press(Button::R1);  // the page on its way is the one turned to: not asked again
    EXPECT_EQ(h.state.reader.page_index, 1u);
    EXPECT_EQ(h.saved()->last_page_idx, 1u);
    EXPECT_FALSE(h.state.reader.page_image);
    ASSERT_EQ(h.page_jobs().size(), 2u);
    h.arrive(page(720, 3000));
    EXPECT_EQ(h.state.reader.scroll, 0);
    EXPECT_TRUE(h.state.reader.scroll_reading);

    h.press(Button::Up);  // at the first row: back to the previous page, as L1
    EXPECT_EQ(h.state.reader.page_index, 0u);
    EXPECT_EQ(h.saved()->last_page_idx, 0u);
    ASSERT_EQ(h.page_jobs().size(), 3u);
    EXPECT_EQ(h.page_jobs()[2].url, CHAPTER_A + "/p0");
    h.press(Button::Down);  // still loading: its length is unknown, so nothing moves
    h.press(Button::Up);
    EXPECT_EQ(h.state.reader.page_index, 0u);
    EXPECT_EQ(h.page_jobs().size(), 3u);
    h.arrive(page(720, 6000));
    const std::int32_t bottom = 6000 - screen.height;
    EXPECT_EQ(h.state.reader.scroll, bottom);  // its last rows in view, the page left under it
    EXPECT_TRUE(h.state.reader.next_image);
    h.press(Button::Up);
    EXPECT_EQ(h.state.reader.scroll, bottom - step);
  }
}

// A page shorter than the screen has nothing to scroll, and one that failed no rows at all: the
// key moves past either at once.
TEST(ScrollReading, ShortAndFailedPagesArePassedAtOnce) {
  ReaderHarness h;
  h.open(1, 4);
  h.press(Button::Start);
  h.arrive(page(900, 500));
  h.press(Button::Down);
  EXPECT_EQ(h.state.reader.page_index, 1u);
  h.apply(PageImageLoaded{std::unexpected(std::string("HTTP 404")), 1, CHAPTER_A,
                          h.state.reader.image_request});
  h.press(Button::Down);
  EXPECT_EQ(h.state.reader.page_index, 2u);
  h.arrive(page(900, 500));
  h.press(Button::Up);
  EXPECT_EQ(h.state.reader.page_index, 1u);
  h.apply(PageImageLoaded{std::unexpected(std::string("HTTP 404")), 1, CHAPTER_A,
                          h.state.reader.image_request});
  h.press(Button::Up);
  EXPECT_EQ(h.state.reader.page_index, 0u);
  h.arrive(page(900, 500));
  EXPECT_EQ(h.state.reader.scroll, 0);
  h.press(Button::Up);  // the first page of the chapter: nowhere to go
  EXPECT_EQ(h.state.reader.page_index, 0u);
  EXPECT_EQ(h.saved()->last_page_idx, 0u);
}

TEST(ScrollReading, OutlastsPagesAndChaptersUntilStart) {
  ReaderHarness h;
  h.open(1, 5);
  h.arrive(page(800, 1200));
  h.press(Button::Start);
  h.press(Button::Down);
  h.press(Button::Right);
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_TRUE(h.state.reader.scroll_reading);
  EXPECT_EQ(h.state.reader.scroll, 0);
  h.arrive(page(720, 6000));
  h.press(Button::Down);
  h.press(Button::X);  // wider, still scrolling
  EXPECT_TRUE(h.state.reader.scroll_reading);
  EXPECT_EQ(h.state.reader.zoom, 0);
  h.press(Button::Start);
  EXPECT_FALSE(h.state.reader.scroll_reading);
  EXPECT_EQ(h.state.reader.scroll, 0);
  h.press(Button::L2);  // fitted, the zoom keys zoom
  EXPECT_EQ(h.state.reader.zoom, 3);
  h.press(Button::Start);
  EXPECT_TRUE(h.state.reader.scroll_reading);
  EXPECT_EQ(h.state.reader.zoom, 0);
  h.press(Button::B);
  h.state.details.chapter_selected = 0;
  h.press(Button::A);
  EXPECT_TRUE(h.state.reader.scroll_reading);
  h.press(Button::Start);
  EXPECT_FALSE(h.state.reader.scroll_reading);
}

// The page at its own size, centred across, from the row the scroll names; shrunk to the screen
// width when wider, by the same sampling as the fitted page.
TEST(ScrollReading, DrawsThePageAtItsOwnWidthFromTheScrolledRow) {
  ReaderHarness h;
  h.open(1, 3);
  h.arrive(coded_page(720, 6000));  // a tall strip opens in scroll reading
  h.press(Button::Select);          // no HUD over the rows checked
  h.press(Button::Down);
  const Canvas strip = frame_of(h.state);
  EXPECT_EQ(source_at(strip, 280, 0), (Source{0, 540}));
  EXPECT_EQ(source_at(strip, 999, 719), (Source{89, 1259}));
  EXPECT_EQ(strip.pixel(279, 300), palette::FRAME_BACKGROUND);
  EXPECT_EQ(strip.pixel(1000, 300), palette::FRAME_BACKGROUND);

  h.press(Button::R1);
  h.arrive(coded_page(1600, 4200));
  h.press(Button::Down);
  const Canvas wide = frame_of(h.state);
  EXPECT_EQ(source_at(wide, 0, 0), (Source{0, 675}));
  EXPECT_EQ(source_at(wide, 1275, 719), (Source{199, 1573}));  // the bar beyond

  h.press(Button::R1);
  h.arrive(coded_page(900, 500));
  const Canvas short_page = frame_of(h.state);
  EXPECT_EQ(source_at(short_page, 190, 110), (Source{0, 0}));
  EXPECT_EQ(source_at(short_page, 1089, 609), (Source{112, 499}));
  EXPECT_EQ(short_page.pixel(640, 109), palette::FRAME_BACKGROUND);
  EXPECT_EQ(short_page.pixel(640, 610), palette::FRAME_BACKGROUND);
}

// Off again, the reader draws exactly what it drew before the mode was used.
TEST(ScrollReading, TurnedOffTheFramesAreThoseOfTheFittedAndZoomedPage) {
  for (const bool hud : {true, false}) {
    ReaderHarness fitted;
    fitted.open(1, 3);
    fitted.arrive(coded_page(800, 1200));
    if (!hud) fitted.press(Button::Select);
    const std::vector<Color> before = pixels(fitted.state);
    fitted.press(Button::Start);
    fitted.press(Button::Down);
    ASSERT_NE(pixels(fitted.state), before);
    fitted.press(Button::Start);
    EXPECT_EQ(pixels(fitted.state), before);

    ReaderHarness zoomed;
    zoomed.open(1, 3);
    zoomed.arrive(coded_page(800, 1200));
    if (!hud) zoomed.press(Button::Select);
    zoomed.press(Button::R2);
    fitted.press(Button::Start);
    fitted.press(Button::Down);
    fitted.press(Button::Start);
    fitted.press(Button::R2);
    EXPECT_EQ(pixels(fitted.state), pixels(zoomed.state));
  }
}

// Bright pixels on the bottom band past the end of the fitted hint: the mode is offered there.
bool offers_scroll_reading(const AppState& state) {
  const Canvas frame = frame_of(state);
  Font font = Font::load_embedded().value();
  const int after_hint =
      20 +
      static_cast<int>(text_width(font,
                                  "[◀ ▶ / L1 R1] Đổi trang   [R2 / X] Phóng to   [SELECT] "
                                  "Ẩn HUD   [B] Trở về",
                                  13.0f)) +
      4;
  const int h = frame.height();
  for (int y = h - 30; y < h; ++y) {
    for (int x = after_hint; x < frame.width(); ++x) {
      if ((frame.pixel(x, y) >> 16 & 0xFF) > 0x80) return true;
    }
  }
  return false;
}

TEST(ScrollReading, OnlyATallStripsFittedHintOffersTheMode) {
  for (const Screen screen : SCREENS) {
    SCOPED_TRACE(::testing::Message() << screen.width << " x " << screen.height);
    const std::uint32_t quarter = static_cast<std::uint32_t>(screen.width / 4);
    ReaderHarness h(screen.width, screen.height);
    h.open(1, 5);
    h.arrive(page(800, 1200));  // the first page: a chapter of ordinary pages, read fitted
    EXPECT_FALSE(offers_scroll_reading(h.state));
    h.press(Button::R1);
    EXPECT_FALSE(offers_scroll_reading(h.state));  // loading: no page to judge
    h.arrive(page(720, 6000));
    EXPECT_TRUE(offers_scroll_reading(h.state));
    h.press(Button::R1);
    h.arrive(page(quarter - 1, static_cast<std::uint32_t>(screen.height)));
    EXPECT_TRUE(offers_scroll_reading(h.state));
    h.press(Button::R1);
    h.arrive(page(quarter, static_cast<std::uint32_t>(screen.height)));
    EXPECT_FALSE(offers_scroll_reading(h.state));
  }
}

}  // namespace
}  // namespace zentomi
