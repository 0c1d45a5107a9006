#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "screens/detail/detail_geometry.hpp"
#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/model_printers.hpp"
#include "support/no_services.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

std::vector<ChapterRef> site_chapters(std::size_t count) {
  std::vector<ChapterRef> chapters;  // newest first, as the site gives them
  for (std::size_t n = count; n > 0; --n) {
    chapters.push_back(
        {"Chapter " + std::to_string(n), "https://site/t/chap-" + std::to_string(n)});
  }
  return chapters;
}

MangaItem title(const std::string& name) {
  return {name, "https://site/t/" + name, "https://cdn/" + name + ".jpg", "Chapter 9", "1K"};
}

using testing::NoServices;

struct DetailHarness {
  explicit DetailHarness(int width = 1280, int height = 720, std::size_t chapter_count = 3)
      : state(make_initial_state(width, height)) {
    state.home.home_loading = false;
    state.home.all_items = state.home.source_items =
        state.home.displayed_items = {title("one"), title("two")};
    press(Button::A);  // open "one"
    arrive(site_chapters(chapter_count));
    jobs.requests.clear();
  }
  bool press(Button button) { return handle_button(state, button, context); }
  void press(Button button, std::size_t times) {
    for (std::size_t i = 0; i < times; ++i)
      press(button);
  }
  void arrive(std::vector<ChapterRef> chapters, std::string url = "https://site/t/one") {
    MangaDetail detail{"One",
                       "https://site/cover-from-page.jpg",
                       "NetTruyen",
                       "Đang phát hành",
                       "Action",
                       "Summary",
                       std::move(chapters)};
    apply_worker_result(state, DetailLoaded{detail, std::move(url)}, context);
  }
  const job::ChapterPages* last_pages_job() const {
    if (jobs.requests.empty()) return nullptr;
    return std::get_if<job::ChapterPages>(&jobs.requests.back());
  }
  // Which drawn chapter row carries the selection colour, if any.
  std::optional<std::size_t> highlighted_row() {
    Canvas canvas(state.screen_width, state.screen_height);
    Renderer renderer{canvas, font};
    NoServices services;
    draw_screen(renderer, state, services);
    std::optional<std::size_t> found;
    for (std::size_t n = 0; n < detail_geometry::chapter_rows(state.screen_height); ++n) {
      const int y = detail_geometry::chapter_row_top(n) + 2;
      if (y < canvas.height() && canvas.pixel(700, y) == palette::ACCENT) {
        EXPECT_FALSE(found) << "two rows selected";
        found = n;
      }
    }
    return found;
  }

  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store};
  Font font = Font::load_embedded().value();
  AppState state;
};

TEST(DetailRows, AreTheRowsTheLayoutDraws) {
  EXPECT_EQ(detail_geometry::chapter_rows(720), 12u);
  EXPECT_EQ(detail_geometry::chapter_rows(768), 13u);  // not 14: the 14th row would not be drawn
  EXPECT_EQ(detail_geometry::chapter_rows(100), 1u);
}

TEST(DetailMovement, ScrollsOnlyPastTheLastVisibleRow) {
  DetailHarness h(1280, 720, 40);
  h.press(Button::Down, 11);
  EXPECT_EQ(h.state.details.chapter_selected, 11u);
  EXPECT_EQ(h.state.details.chapter_scroll, 0u);
  h.press(Button::Down);
  EXPECT_EQ(h.state.details.chapter_selected, 12u);
  EXPECT_EQ(h.state.details.chapter_scroll, 1u);
  h.press(Button::Up, 5);
  EXPECT_EQ(h.state.details.chapter_scroll, 1u);
  h.press(Button::Up, 6);
  EXPECT_EQ(h.state.details.chapter_selected, 1u);
  EXPECT_EQ(h.state.details.chapter_scroll, 1u);
  h.press(Button::Up, 3);
  EXPECT_EQ(h.state.details.chapter_selected, 0u);
  EXPECT_EQ(h.state.details.chapter_scroll, 0u);
}

TEST(DetailMovement, EveryReachableSelectionIsDrawnOnBothScreens) {
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{1024, 768}}) {
    for (const std::size_t count : {1u, 12u, 13u, 14u, 30u}) {
      DetailHarness h(width, height, count);
      for (const Button button : {Button::Down, Button::Up}) {
        for (std::size_t i = 0; i < count + 1; ++i) {
          h.press(button);
          const auto row = h.highlighted_row();
          ASSERT_TRUE(row) << width << "x" << height << " count " << count << " selected "
                           << h.state.details.chapter_selected << " scroll "
                           << h.state.details.chapter_scroll;
          EXPECT_EQ(*row, h.state.details.chapter_selected - h.state.details.chapter_scroll);
        }
      }
    }
  }
}

TEST(DetailOrder, ReversesFromTheSiteOrderAndResetsTheSelection) {
  DetailHarness h;  // [c3, c2, c1]
  h.press(Button::Down);
  h.press(Button::X);
  EXPECT_EQ(h.state.details.chapters,
            std::vector<ChapterRef>(h.state.details.chapters_site_order.rbegin(),
                                    h.state.details.chapters_site_order.rend()));
  EXPECT_EQ(h.state.details.chapter_selected, 0u);
  h.press(Button::X);
  EXPECT_EQ(h.state.details.chapters, h.state.details.chapters_site_order);
}

TEST(DetailOrder, ChosenBeforeTheDetailArrivesIsAppliedOnArrival) {
  DetailHarness h;
  h.press(Button::B);
  h.press(Button::Right);
  h.press(Button::A);  // open "two"; its detail has not arrived
  h.press(Button::X);
  EXPECT_TRUE(h.state.details.chapters_reversed);
  EXPECT_TRUE(h.state.details.chapters.empty());
  h.arrive(site_chapters(3), "https://site/t/two");
  EXPECT_EQ(h.state.details.chapters.front().name, "Chapter 1");
  EXPECT_EQ(h.state.details.chapters_site_order.front().name, "Chapter 3");
}

TEST(DetailOpening, AOpensTheSelectedChapterOnItsFirstPage) {
  DetailHarness h;
  h.state.reader.page_index = 6;  // left from an earlier chapter
  h.press(Button::Down);
  h.press(Button::A);
  ASSERT_NE(h.last_pages_job(), nullptr);
  EXPECT_EQ(h.last_pages_job()->url, "https://site/t/chap-2");
  EXPECT_EQ(h.state.screen, Screen::Reader);
  EXPECT_EQ(h.state.reader.chapter_title, "Chapter 2");
  EXPECT_EQ(h.state.reader.page_index, 0u);
  EXPECT_TRUE(h.state.reader.resume_pending);
  EXPECT_EQ(h.state.reader.resume_page, 0u);
  EXPECT_TRUE(h.state.reader.reader_loading);
}

TEST(DetailOpening, L1AndStartWithoutHistoryOpenTheFirstChapterWhateverTheOrder) {
  DetailHarness h;
  h.press(Button::X);
  h.press(Button::Down, 2);
  h.press(Button::L1);
  ASSERT_NE(h.last_pages_job(), nullptr);
  EXPECT_EQ(h.last_pages_job()->url, "https://site/t/chap-1");
  h.press(Button::B);
  h.press(Button::Start);
  EXPECT_EQ(h.jobs.requests.size(), 2u);
  EXPECT_EQ(h.last_pages_job()->url, "https://site/t/chap-1");
}

TEST(DetailOpening, StartWithHistoryResumesEvenBeforeTheDetailArrives) {
  DetailHarness h;
  h.store.record_progress(h.state.details.current_item, "Chapter 2", "https://site/t/chap-2", 7, 10,
                          h.state.details.current_history, std::chrono::system_clock::now());
  h.press(Button::B);
  h.press(Button::A);  // reopen: history read, detail still loading
  EXPECT_TRUE(h.state.details.detail_loading);
  h.press(Button::Start);
  ASSERT_NE(h.last_pages_job(), nullptr);
  EXPECT_EQ(h.last_pages_job()->url, "https://site/t/chap-2");
  EXPECT_EQ(h.state.reader.resume_page, 7u);
}

TEST(DetailOpening, NothingOpensWhileTheDetailIsMissing) {
  DetailHarness h;
  h.press(Button::B);
  h.press(Button::Right);
  h.press(Button::A);  // "two", no history, no detail yet
  h.jobs.requests.clear();
  for (const Button button : {Button::A, Button::L1, Button::Start, Button::Down, Button::Up}) {
    h.press(button);
  }
  EXPECT_TRUE(h.jobs.requests.empty());
  EXPECT_EQ(h.state.screen, Screen::Detail);
}

TEST(DetailBack, UnfavouritingTheLastFavouriteKeepsTheGridShowingSomething) {
  DetailHarness h;  // 1280 x 720: five columns, one row
  h.state.home.all_items.clear();
  for (int i = 0; i < 6; ++i) {
    h.state.details.current_item = title("fav" + std::to_string(i));
    h.store.toggle_favorite(h.state.details.current_item);
  }
  h.press(Button::B);
  h.press(Button::Select);  // favourites filter on, newest first
  h.press(Button::Right, 5);
  ASSERT_EQ(h.state.home.home_selected, 5u);
  ASSERT_EQ(h.state.home.home_scroll, 5u);
  h.press(Button::A);
  h.press(Button::Y);  // un-favourite it
  h.press(Button::B);
  EXPECT_EQ(h.state.home.displayed_items.size(), 5u);
  EXPECT_EQ(h.state.home.home_selected, 4u);
  EXPECT_EQ(h.state.home.home_scroll, 0u);
  h.press(Button::X);  // the list view keeps the selection visible too
  h.press(Button::A);
  h.press(Button::Y);
  h.press(Button::B);
  EXPECT_EQ(h.state.home.home_selected, 3u);
  EXPECT_LE(h.state.home.home_scroll, h.state.home.home_selected);
}

TEST(DetailFavourite, YTogglesTheStoredFavourite) {
  DetailHarness h;
  h.press(Button::Y);
  EXPECT_TRUE(h.store.is_favorite("https://site/t/one"));
  h.press(Button::Y);
  EXPECT_FALSE(h.store.is_favorite("https://site/t/one"));
  EXPECT_FALSE(h.press(Button::Y));
  EXPECT_TRUE(h.press(Button::Menu));
}

TEST(DetailLoaded, PrefersTheListingCoverAndRereadsTheHistory) {
  DetailHarness h;
  EXPECT_EQ(h.state.details.detail->cover_url, "https://cdn/one.jpg");
  EXPECT_FALSE(h.state.details.detail_loading);
  h.store.record_progress(h.state.details.current_item, "Chapter 3", "https://site/t/chap-3", 1, 4,
                          h.state.details.current_history, std::chrono::system_clock::now());
  h.state.details.current_history.reset();
  h.arrive(site_chapters(3));
  ASSERT_TRUE(h.state.details.current_history);
  EXPECT_EQ(h.state.details.current_history->last_chapter_url, "https://site/t/chap-3");
}

TEST(DetailLoaded, ALateAnswerForAnotherTitleIsDropped) {
  DetailHarness h;
  h.press(Button::B);
  h.press(Button::Right);
  h.press(Button::A);  // now "two"
  h.arrive(site_chapters(50), "https://site/t/one");
  EXPECT_FALSE(h.state.details.detail);
  EXPECT_TRUE(h.state.details.detail_loading);
  EXPECT_TRUE(h.state.details.chapters.empty());
}

TEST(DetailLoaded, OpeningATitleForgetsThePreviousChapter) {
  DetailHarness h;
  h.press(Button::A);
  EXPECT_FALSE(h.state.reader.chapter_url.empty());
  h.press(Button::B);  // reader to detail
  h.press(Button::B);  // detail to home
  h.press(Button::A);
  EXPECT_TRUE(h.state.reader.chapter_url.empty());
}

TEST(DetailLoaded, AFailureIsKeptForTheScreenUntilTheNextTitle) {
  DetailHarness h;
  h.press(Button::B);
  h.press(Button::Right);
  h.press(Button::A);
  ::testing::internal::CaptureStderr();
  apply_worker_result(h.state, DetailLoaded{std::unexpected("Network error"), "https://site/t/two"},
                      h.context);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[NetTruyen] Detail load error: Network error\n");
  EXPECT_FALSE(h.state.details.detail_loading);
  EXPECT_EQ(h.state.details.detail_error, "Network error");
  h.press(Button::B);
  h.press(Button::A);
  EXPECT_FALSE(h.state.details.detail_error);
}

}  // namespace
}  // namespace zentomi
