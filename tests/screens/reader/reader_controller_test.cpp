#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "screens/dispatch.hpp"
#include "support/model_printers.hpp"
#include "support/no_services.hpp"
#include "support/reader_harness.hpp"

namespace zentomi {
namespace {

using testing::CHAPTER_A;
using testing::CHAPTER_B;
using testing::NoServices;
using testing::page;
using testing::page_urls;
using testing::ReaderHarness;

TEST(ReaderZoom, CyclesBothWaysAndForgetsThePanOnlyAtTheFittedPage) {
  ReaderHarness h;
  h.open(1, 5);
  h.press(Button::X, 2);
  h.press(Button::Up);
  h.press(Button::Right);
  EXPECT_EQ(h.state.reader.zoom, 2);
  EXPECT_EQ(h.state.reader.pan_x, -50);
  EXPECT_EQ(h.state.reader.pan_y, 50);
  h.press(Button::R2);
  EXPECT_EQ(h.state.reader.zoom, 3);
  EXPECT_EQ(h.state.reader.pan_x, -50);  // kept
  h.press(Button::X);
  EXPECT_EQ(h.state.reader.zoom, 0);
  EXPECT_EQ(h.state.reader.pan_x, 0);
  EXPECT_EQ(h.state.reader.pan_y, 0);
  h.press(Button::Y);
  EXPECT_EQ(h.state.reader.zoom, 3);
  h.press(Button::Down);
  h.press(Button::L2, 2);
  EXPECT_EQ(h.state.reader.zoom, 1);
  EXPECT_EQ(h.state.reader.pan_y, -50);
  h.press(Button::L2);
  EXPECT_EQ(h.state.reader.zoom, 0);
  EXPECT_EQ(h.state.reader.pan_y, 0);
}

TEST(ReaderTurns, LeftPansWhenZoomedAndL1TurnsKeepingTheZoom) {
  ReaderHarness h;
  h.open(1, 5);
  h.press(Button::R1, 2);
  h.press(Button::X, 2);
  h.state.reader.pan_x = 100;
  h.state.reader.pan_y = -50;
  h.press(Button::Left);
  EXPECT_EQ(h.state.reader.pan_x, 150);
  EXPECT_EQ(h.state.reader.page_index, 2u);
  h.press(Button::L1);
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_EQ(h.state.reader.zoom, 2);
  EXPECT_EQ(h.state.reader.pan_x, 0);
  EXPECT_EQ(h.state.reader.pan_y, 0);
  h.press(Button::X, 2);  // back to the fitted page: Right turns and resets
  h.press(Button::Right);
  EXPECT_EQ(h.state.reader.page_index, 2u);
  EXPECT_TRUE(h.state.reader.reader_loading);
  EXPECT_FALSE(h.state.reader.page_image);
}

TEST(ReaderTurns, StopAtBothEndsAndDoNothingWithoutAPageList) {
  ReaderHarness h;
  h.open(1, 2);
  const std::size_t jobs = h.jobs.requests.size();
  h.press(Button::Left);
  h.press(Button::L1);
  EXPECT_EQ(h.state.reader.page_index, 0u);
  h.press(Button::Right);
  h.press(Button::Right);
  h.press(Button::R1);
  EXPECT_EQ(h.state.reader.page_index, 1u);
  EXPECT_EQ(h.jobs.requests.size(), jobs + 1);

  h.press(Button::B);
  h.state.reader.page_index = 4;  // whatever the last chapter left
  h.state.details.chapter_selected = 0;
  h.press(Button::A);  // its page list has not arrived
  EXPECT_EQ(h.state.reader.page_index, 0u);
  ::testing::internal::CaptureStderr();
  h.apply(PagesLoaded{std::unexpected(std::string("Không tìm thấy trang")), CHAPTER_B,
                      h.state.reader.pages_request});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[NetTruyen] Pages load error: Không tìm thấy trang\n");
  h.jobs.requests.clear();
  for (const Button button : {Button::Left, Button::Right, Button::L1, Button::R1}) {
    h.press(button);
  }
  h.state.reader.page_index = 4;  // even an index past the empty list reads nothing
  h.press(Button::Left);
  EXPECT_TRUE(h.jobs.requests.empty());
  EXPECT_EQ(h.saved()->last_chapter_url, CHAPTER_A);  // nothing saved for the failed chapter
}

TEST(ReaderProgress, SavedOnEveryTurnAndAgainWhenThePageArrives) {
  ReaderHarness h;
  h.open(1, 10);
  EXPECT_FALSE(h.saved());  // nothing read yet
  h.apply(PageImageLoaded{page(), 0, CHAPTER_A, h.state.reader.image_request});
  ASSERT_TRUE(h.saved());
  EXPECT_EQ(h.saved()->last_page_idx, 0u);
  EXPECT_EQ(h.saved()->total_pages, 10u);
  h.press(Button::Right);
  EXPECT_EQ(h.saved()->last_page_idx, 1u);
  EXPECT_EQ(h.state.details.current_history, h.saved());
  h.press(Button::B);
  h.press(Button::Start);  // continue where the history says
  h.apply(PagesLoaded{page_urls(CHAPTER_A, 10), CHAPTER_A, h.state.reader.pages_request});
  EXPECT_EQ(h.state.reader.page_index, 1u);
}

TEST(ReaderResults, TheResumePageIsClampedToTheLastPage) {
  ReaderHarness h;
  h.state.details.chapter_selected = 1;
  h.press(Button::A);
  h.state.reader.resume_page = 12;
  h.apply(PagesLoaded{page_urls(CHAPTER_A, 10), CHAPTER_A, h.state.reader.pages_request});
  EXPECT_EQ(h.state.reader.page_index, 9u);
  ASSERT_EQ(h.page_jobs().size(), 1u);
  EXPECT_EQ(h.page_jobs()[0].url, CHAPTER_A + "/p9");
  EXPECT_EQ(h.page_jobs()[0].index, 9u);
  EXPECT_TRUE(h.state.reader.reader_loading);
}

TEST(ReaderResults, OnlyTheNewestOpeningOfAChapterIsAnsweredSoItsPlaceIsKept) {
  ReaderHarness h;
  h.open(1, 10);
  h.press(Button::Right, 4);
  ASSERT_EQ(h.saved()->last_page_idx, 4u);
  h.press(Button::B);
  h.press(Button::Start);  // continue at page 4
  const std::uint64_t first = h.state.reader.pages_request;
  h.press(Button::B);      // before the page list arrives
  h.press(Button::Start);  // and again
  const std::uint64_t second = h.state.reader.pages_request;
  ASSERT_NE(first, second);
  h.apply(PagesLoaded{page_urls(CHAPTER_A, 10), CHAPTER_A, first});
  EXPECT_TRUE(h.state.reader.pages.empty()) << "the first opening's answer is dropped";
  h.apply(PagesLoaded{page_urls(CHAPTER_A, 10), CHAPTER_A, second});
  EXPECT_EQ(h.state.reader.page_index, 4u);
  // A page image asked for before the newest request is dropped too.
  const std::uint64_t image = h.state.reader.image_request;
  h.apply(PageImageLoaded{page(), 4, CHAPTER_A, image - 1});
  EXPECT_FALSE(h.state.reader.page_image);
  h.apply(PageImageLoaded{page(), 4, CHAPTER_A, image});
  EXPECT_TRUE(h.state.reader.page_image);
  EXPECT_EQ(h.saved()->last_page_idx, 4u);
}

TEST(ReaderResults, AnEarlierPageArrivingLateIsDropped) {
  ReaderHarness h;
  h.open(1, 5);
  h.press(Button::Right, 2);
  h.apply(PageImageLoaded{page(1, 1), 1, CHAPTER_A, h.state.reader.image_request});
  EXPECT_FALSE(h.state.reader.page_image);
  EXPECT_TRUE(h.state.reader.reader_loading);
  h.apply(PageImageLoaded{page(2, 2), 2, CHAPTER_A, h.state.reader.image_request});
  ASSERT_TRUE(h.state.reader.page_image);
  EXPECT_EQ(h.state.reader.page_image->width, 2u);
}

TEST(ReaderResults, AnotherChaptersLateResultsNeverLand) {
  ReaderHarness h;
  h.state.details.chapter_selected = 1;
  h.press(Button::A);  // chapter A
  h.press(Button::B);
  h.state.details.chapter_selected = 0;
  h.press(Button::A);  // chapter B, list pending
  h.apply(PagesLoaded{page_urls(CHAPTER_A, 30), CHAPTER_A, h.state.reader.pages_request});
  EXPECT_TRUE(h.state.reader.pages.empty());
  EXPECT_TRUE(h.state.reader.resume_pending);
  h.apply(PagesLoaded{page_urls(CHAPTER_B, 3), CHAPTER_B, h.state.reader.pages_request});
  h.apply(PageImageLoaded{page(), 0, CHAPTER_A, h.state.reader.image_request});
  EXPECT_FALSE(h.state.reader.page_image);
  EXPECT_FALSE(h.saved());
  h.apply(PageImageLoaded{page(), 0, CHAPTER_B, h.state.reader.image_request});
  EXPECT_TRUE(h.state.reader.page_image);
  EXPECT_EQ(h.saved()->last_chapter_url, CHAPTER_B);
}

TEST(ReaderScreen, TheHeadUpDisplayHidesOnlyAtTheFittedPageOnceItArrived) {
  ReaderHarness h;
  h.open(1, 20);
  h.apply(PageImageLoaded{page(), 0, CHAPTER_A, h.state.reader.image_request});
  Canvas canvas(1280, 720);
  Font font = Font::load_embedded().value();
  Renderer renderer{canvas, font};
  NoServices services;
  const auto corner_after = [&](Button button) {
    h.press(button);
    draw_screen(renderer, h.state, services);
    return canvas.pixel(5, 5);
  };
  const Color dimmed = 0xFF010203;  // 0x0B0F19 darkened by 2/15
  EXPECT_EQ(corner_after(Button::A), dimmed);
  EXPECT_EQ(corner_after(Button::Select), palette::FRAME_BACKGROUND);
  EXPECT_EQ(canvas.pixel(400, 360), 0xFFFFFFFFu);  // the fitted page spans x 400 to 879
  EXPECT_EQ(canvas.pixel(399, 360), palette::FRAME_BACKGROUND);
  EXPECT_EQ(canvas.pixel(879, 360), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.pixel(880, 360), palette::FRAME_BACKGROUND);
  EXPECT_EQ(corner_after(Button::X), dimmed);  // zoomed: shown whatever the flag
  EXPECT_EQ(corner_after(Button::Y), palette::FRAME_BACKGROUND);
  EXPECT_EQ(corner_after(Button::Right), dimmed);  // loading: shown too
}

}  // namespace
}  // namespace zentomi
