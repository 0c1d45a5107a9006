// Scroll reading as one strip: the page after the one shown fetched ahead and joined under it,
// presses at the boundary kept, tall strips opening in scroll reading, the width levels, the
// position bar and the way on at the chapter's end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "screens/reader/scroll_geometry.hpp"
#include "screens/reader/strip.hpp"
#include "support/coded_pages.hpp"
#include "support/model_printers.hpp"
#include "support/reader_harness.hpp"

namespace zentomi {
namespace {

using testing::CHAPTER_A;
using testing::CHAPTER_B;
using testing::page;
using testing::ReaderHarness;
using Source = testing::PixelSource;
using testing::frame_of;
using testing::source_at;

// Page `number` of a chapter, its number in every pixel.
SharedImage numbered_page(std::uint8_t number, std::uint32_t width, std::uint32_t height) {
  return testing::coded_page(width, height, number);
}

// Pages are let go on a background thread: true once nothing holds the page, within seconds.
bool let_go(const std::weak_ptr<const RgbaImage>& page) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!page.expired() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return page.expired();
}

// Delivers the page fetched ahead.
void arrive_next(ReaderHarness& h, SharedImage image) {
  h.apply(PageImageLoaded{std::move(image), h.state.reader.page_index + 1,
                          h.state.reader.chapter_url, h.state.reader.next_request});
}

// A chapter of `count` pages opened on a 720 x 3000 strip (scroll reading turns itself on).
void open_strips(ReaderHarness& h, std::size_t count) {
  h.open(1, count);
  h.arrive(numbered_page(1, 720, 3000));
}

TEST(ContinuousStrip, TheNextPageIsFetchedOnceOneAheadOnlyInScrollReading) {
  ReaderHarness h;
  open_strips(h, 4);
  ASSERT_TRUE(h.state.reader.scroll_reading);
  ASSERT_EQ(h.page_jobs().size(), 1u);
  h.press(Button::Down, 2);  // scroll 1080: the end (3000) is 1200 below the screen's bottom
  EXPECT_EQ(h.page_jobs().size(), 1u);
  h.press(Button::Down);  // 1620: now within a screen
  ASSERT_EQ(h.page_jobs().size(), 2u);
  EXPECT_EQ(h.page_jobs()[1].url, CHAPTER_A + "/p1");
  EXPECT_EQ(h.page_jobs()[1].index, 1u);
  EXPECT_EQ(h.page_jobs()[1].drawn_width, 1280u);
  h.press(Button::Down);  // waiting at the boundary: not asked again, nor the page after
  EXPECT_EQ(h.page_jobs().size(), 2u);
  arrive_next(h, numbered_page(2, 720, 3000));
  EXPECT_EQ(h.page_jobs().size(), 2u);  // two pages held: nothing further until one is passed

  // Fitted, nothing is fetched ahead and the page fetched is let go.
  ReaderHarness fitted;
  fitted.open(1, 4);
  fitted.arrive(page(800, 1200));
  fitted.press(Button::Down, 3);
  fitted.press(Button::Right);
  EXPECT_EQ(fitted.page_jobs().size(), 2u);
  h.press(Button::Start);
  EXPECT_FALSE(h.state.reader.next_image);
}

TEST(ContinuousStrip, DownCrossesTheBoundaryWithoutLoadingAndLetsThePassedPageGo) {
  ReaderHarness h;
  open_strips(h, 3);
  h.press(Button::Down, 3);
  const std::weak_ptr<const RgbaImage> first = h.state.reader.page_image;
  arrive_next(h, numbered_page(2, 720, 3000));
  h.press(Button::Down);  // 2160: the boundary 120 rows below the screen
  EXPECT_EQ(h.state.reader.scroll, 2160);
  h.press(Button::Down);  // 2700: the first page's last 300 rows above the second's 420
  EXPECT_EQ(h.state.reader.page_index, 0u);
  EXPECT_FALSE(h.state.reader.reader_loading);
  h.press(Button::Down);  // 3240: the first page is above the screen
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_EQ(h.state.reader.scroll, 240);
  EXPECT_EQ(h.saved()->last_page_idx, 1u);
  EXPECT_TRUE(let_go(first));
  EXPECT_FALSE(h.state.reader.reader_loading);
  // The third is asked for once the second's end is within a screen.
  EXPECT_EQ(h.page_jobs().size(), 2u);
  h.press(Button::Down, 3);
  ASSERT_EQ(h.page_jobs().size(), 3u);
  EXPECT_EQ(h.page_jobs()[2].index, 2u);
}

TEST(ContinuousStrip, TheTwoPagesJoinRowForRowAndTheCountFollowsTheLargerPart) {
  ReaderHarness h;
  open_strips(h, 3);
  h.press(Button::Select);  // the HUD off: the rows themselves are checked
  h.press(Button::Down, 3);
  arrive_next(h, numbered_page(2, 720, 3000));
  h.press(Button::Down, 2);  // scroll 2700: boundary on screen row 300
  const Canvas canvas = frame_of(h.state);
  EXPECT_EQ(source_at(canvas, 640, 0), (Source{1, 2700}));
  EXPECT_EQ(source_at(canvas, 640, 299), (Source{1, 2999}));
  EXPECT_EQ(source_at(canvas, 640, 300), (Source{2, 0}));
  EXPECT_EQ(source_at(canvas, 640, 719), (Source{2, 419}));
  EXPECT_EQ(h.state.reader.page_index, 0u);     // saved for the page at the top
  EXPECT_EQ(strip::page_in_view(h.state), 1u);  // the HUD counts the page filling most of it
  h.press(Button::Up);                          // 2160: the first page fills the screen
  EXPECT_EQ(strip::page_in_view(h.state), 0u);
}

TEST(ContinuousStrip, ADownMadeWhileTheNextPageLoadsScrollsWhenItArrives) {
  ReaderHarness h;
  open_strips(h, 3);
  h.press(Button::Down, 3);  // 1620, the next page asked for
  h.press(Button::Down);     // 2160
  h.press(Button::Down);     // 2640: the boundary at the screen's middle, the panel under it
  EXPECT_EQ(h.state.reader.scroll, 2640);
  const Canvas waiting = frame_of(h.state);
  EXPECT_EQ(source_at(waiting, 640, 359), (Source{1, 2999}));
  EXPECT_EQ(waiting.pixel(640, 540 - 40 + 2), palette::PANEL);  // the panel, centred below
  EXPECT_EQ(waiting.pixel(300, 380), palette::FRAME_BACKGROUND);
  h.press(Button::Down, 2);  // kept, not lost
  EXPECT_EQ(h.state.reader.scroll, 2640);
  arrive_next(h, numbered_page(2, 720, 3000));
  // Both presses applied: 2640 + 2 x 540 = 3720, past the first page.
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_EQ(h.state.reader.scroll, 720);
  EXPECT_EQ(h.state.reader.waiting_scrolls, 0);
}

// A held key runs ahead of the network: what the last page leaves over ends at the chapter's end,
// as the same presses would with every page there.
TEST(ContinuousStrip, DownsHeldForTheLastPageGoOnToTheChapterEnd) {
  ReaderHarness h;
  open_strips(h, 2);
  h.press(Button::Down, 5);  // 2640: waiting at the boundary
  h.press(Button::Down, 8);
  arrive_next(h, numbered_page(2, 720, 1500));
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_EQ(h.state.reader.scroll, 780);  // the last screenful
  EXPECT_TRUE(h.state.reader.chapter_end);
  EXPECT_EQ(h.state.reader.waiting_scrolls, 0);
}

TEST(ContinuousStrip, TallStripsOpenInScrollReadingOrdinaryPagesAsLeft) {
  struct Case {
    std::uint32_t width, height;
    bool scroll_reading;
  };
  for (const Case c : {Case{720, 2161, true}, Case{720, 2160, false}, Case{800, 1200, false}}) {
    ReaderHarness h;
    h.open(1, 3);
    h.arrive(page(c.width, c.height));
    EXPECT_EQ(h.state.reader.scroll_reading, c.scroll_reading) << c.width << " x " << c.height;
    // Only the first page shown decides; START still turns the mode off.
    h.press(Button::Start);
    h.press(Button::R1);
    h.arrive(page(720, 3000));
    EXPECT_EQ(h.state.reader.scroll_reading, !c.scroll_reading);
  }
}

TEST(ContinuousStrip, WideningKeepsTheMiddleLineAndNarrowingComesBack) {
  ReaderHarness h;
  open_strips(h, 3);
  h.press(Button::Down);  // 540: the middle line is row 900
  struct Step {
    Button button;
    int level;
    std::int32_t scroll;
    int percent;
  };
  const Step steps[] = {
      {Button::X, 1, 765, 125},                               // 900 x 1.25 - 360
      {Button::R2, 2, 990, 150},  {Button::X, 3, 1240, 178},  // the screen's width, 1280 / 720
      {Button::R2, 3, 1240, 178}, {Button::Y, 2, 990, 150},
      {Button::L2, 1, 765, 125},  {Button::Y, 0, 540, 100},
  };
  for (const Step& step : steps) {
    h.press(step.button);
    EXPECT_EQ(h.state.reader.strip_width, step.level);
    EXPECT_EQ(h.state.reader.scroll, step.scroll) << step.level;
    EXPECT_EQ(scroll_geometry::width_percent(1280, *h.state.reader.page_image, step.level),
              step.percent);
    EXPECT_TRUE(h.state.reader.scroll_reading);
  }
}

TEST(ContinuousStrip, ThePositionBarFillsAsTheChapterIsRead) {
  ReaderHarness h;
  open_strips(h, 4);
  h.press(Button::Select);
  const auto filled_rows = [&] {
    const Canvas canvas = frame_of(h.state);
    int rows = 0;
    for (int y = 0; y < 720; ++y)
      rows += canvas.pixel(1278, y) == palette::HIGHLIGHT_TEXT;
    return rows;
  };
  // The middle line, row 360 of the first of four pages: 360 / 3000 / 4 of the height.
  EXPECT_EQ(filled_rows(), 21);
  h.press(Button::Down, 3);
  arrive_next(h, numbered_page(2, 720, 3000));
  h.press(Button::Down, 3);  // 3240: the middle on row 600 of the second page
  EXPECT_EQ(filled_rows(), static_cast<int>((1.0f + 600.0f / 3000.0f) / 4.0f * 720.0f));
}

TEST(ChapterEnd, TheLastPagesEndOffersTheNextChapterInBothModesAndBothListOrders) {
  for (const bool reversed : {false, true}) {
    for (const bool scrolling : {false, true}) {
      SCOPED_TRACE(::testing::Message() << (reversed ? "oldest first" : "newest first")
                                        << (scrolling ? ", scroll reading" : ", fitted"));
      ReaderHarness h;
      h.state.details.chapters_reversed = reversed;
      if (reversed) {
        h.state.details.chapters = {h.state.details.chapters_site_order.rbegin(),
                                    h.state.details.chapters_site_order.rend()};
      }
      h.state.details.chapter_selected = reversed ? 0 : 1;  // Chapter 1 either way
      h.press(Button::A);
      ASSERT_EQ(h.state.reader.chapter_url, CHAPTER_A);
      h.apply(
          PagesLoaded{testing::page_urls(CHAPTER_A, 2), CHAPTER_A, h.state.reader.pages_request});
      h.arrive(page(800, 1200));
      if (scrolling) h.press(Button::Start);
      h.press(Button::A);  // not at the end: nothing
      EXPECT_EQ(h.state.reader.chapter_url, CHAPTER_A);
      h.press(Button::R1);
      h.arrive(page(800, 1200));
      EXPECT_FALSE(h.state.reader.chapter_end);
      h.press(scrolling ? Button::Down : Button::Right, scrolling ? 2 : 1);
      EXPECT_TRUE(h.state.reader.chapter_end);
      EXPECT_EQ(h.state.reader.page_index, 1u);  // page turns stop at the end
      h.press(Button::A);
      EXPECT_EQ(h.state.reader.chapter_url, CHAPTER_B);
      EXPECT_EQ(h.state.reader.chapter_title, "Chapter 2");
      EXPECT_EQ(h.state.reader.resume_page, 0u);
      EXPECT_EQ(h.state.reader.scroll_reading, scrolling);
      EXPECT_EQ(h.state.screen, Screen::Reader);

      // Chapter 2 is the newest: its end has no next chapter, and A stays.
      h.apply(
          PagesLoaded{testing::page_urls(CHAPTER_B, 1), CHAPTER_B, h.state.reader.pages_request});
      h.arrive(page(800, 1200));
      h.press(scrolling ? Button::Down : Button::R1, scrolling ? 2 : 1);
      EXPECT_TRUE(h.state.reader.chapter_end);
      h.press(Button::A);
      EXPECT_EQ(h.state.reader.chapter_url, CHAPTER_B);
      EXPECT_TRUE(h.state.reader.chapter_end);
      h.press(Button::Up);
      EXPECT_FALSE(h.state.reader.chapter_end);
    }
  }
}

}  // namespace
}  // namespace zentomi
