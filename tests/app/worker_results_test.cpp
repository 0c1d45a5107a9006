#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/app_state.hpp"
#include "screens/dispatch.hpp"
#include "support/model_printers.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using Items = std::vector<MangaItem>;

MangaItem item(const std::string& title) {
  return {title, "https://site.test/" + title, "", "Chap mới", "1"};
}

struct Harness {
  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store,
                     [] { return std::chrono::system_clock::from_time_t(1700000123); }};
  AppState state = make_initial_state(1280, 720);

  void apply(WorkerResult result) { apply_worker_result(state, std::move(result), context); }
};

TEST(HomeLoaded, OrdersTheNewListingByTheCurrentSort) {
  Harness h;
  h.state.home.sort_mode = SortMode::Views;
  MangaItem few = item("few");
  few.views = "12";
  MangaItem many = item("many");
  many.views = "1.5K";
  h.apply(HomeLoaded{Items{few, many}});
  EXPECT_EQ(h.state.home.source_items, (Items{few, many}));
  EXPECT_EQ(h.state.home.displayed_items, (Items{many, few}));
}

TEST(HomeLoaded, ShowsTheNewListingFromItsStart) {
  Harness h;
  h.state.home.source_items = h.state.home.displayed_items = {item("old")};
  h.state.home.home_selected = 3;
  h.state.home.home_scroll = 2;
  const Items listing = {item("a"), item("b"), item("c")};
  h.apply(HomeLoaded{listing});
  EXPECT_EQ(h.state.home.all_items, listing);
  EXPECT_EQ(h.state.home.source_items, listing);
  EXPECT_EQ(h.state.home.displayed_items, listing);
  EXPECT_EQ(h.state.home.home_selected, 0u);
  EXPECT_EQ(h.state.home.home_scroll, 0u);
  EXPECT_FALSE(h.state.home.home_loading);
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_TRUE(h.jobs.requests.empty());
}

TEST(HomeLoaded, LeavesTheFavouritesOnScreenWhileTheFilterIsOn) {
  Harness h;
  const Items favourites = {item("fav")};
  h.state.home.favorites_only = true;
  h.state.home.source_items = h.state.home.displayed_items = favourites;
  h.state.home.home_selected = 0;
  h.state.screen = Screen::Detail;
  const Items listing = {item("a"), item("b")};
  h.apply(HomeLoaded{listing});
  EXPECT_EQ(h.state.home.all_items, listing);
  EXPECT_EQ(h.state.home.source_items, favourites);
  EXPECT_EQ(h.state.home.displayed_items, favourites);
  EXPECT_FALSE(h.state.home.home_loading);
  EXPECT_EQ(h.state.screen, Screen::Detail);
}

TEST(HomeLoaded, AnErrorIsLoggedAndTheListsStay) {
  Harness h;
  const Items listing = {item("a")};
  h.state.home.all_items = h.state.home.source_items = h.state.home.displayed_items = listing;
  h.state.home.home_selected = 0;
  ::testing::internal::CaptureStderr();
  h.apply(HomeLoaded{std::unexpected(std::string("Network error: exit code Some(28)"))});
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log, "[NetTruyen] Home load error: Network error: exit code Some(28)\n");
  EXPECT_EQ(h.state.home.all_items, listing);
  EXPECT_EQ(h.state.home.displayed_items, listing);
  EXPECT_FALSE(h.state.home.home_loading);
}

TEST(HomeLoaded, TheLastFailureIsKeptUntilAListingArrives) {
  Harness h;
  ::testing::internal::CaptureStderr();
  h.apply(HomeLoaded{std::unexpected(std::string("Network error: exit code Some(6)"))});
  EXPECT_EQ(h.state.home.home_error, "Network error: exit code Some(6)");
  h.state.home.home_loading = true;  // a retry
  h.apply(HomeLoaded{std::unexpected(std::string("Network error: exit code Some(28)"))});
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(h.state.home.home_error, "Network error: exit code Some(28)");
  EXPECT_FALSE(h.state.home.home_loading);

  h.state.home.sort_mode = SortMode::NameAZ;
  h.state.home.home_selected = 1;
  h.apply(HomeLoaded{Items{item("b"), item("a")}});
  EXPECT_FALSE(h.state.home.home_error.has_value());
  EXPECT_EQ(h.state.home.displayed_items, (Items{item("a"), item("b")}));
  EXPECT_EQ(h.state.home.home_selected, 0u);
}

// A reader showing page 2 of a 20-page chapter of `item("t")`, its image on its way.
void read_page_two(Harness& h) {
  h.state.screen = Screen::Reader;
  h.state.details.current_item = item("t");
  h.state.reader.chapter_title = "Chapter 3";
  h.state.reader.chapter_url = "https://site.test/t/chapter-3";
  h.state.reader.pages.assign(20, "https://img.test/p.jpg");
  h.state.reader.page_index = 2;
  h.state.reader.reader_loading = true;
}

SharedImage tiny_image() {
  auto image = std::make_shared<RgbaImage>();
  image->width = image->height = 1;
  image->pixels = {1, 2, 3, 255};
  return image;
}

TEST(PageImageLoaded, AnImageForAnotherPageIsDropped) {
  Harness h;
  read_page_two(h);
  h.apply(
      PageImageLoaded{tiny_image(), 1, h.state.reader.chapter_url, h.state.reader.image_request});
  h.apply(PageImageLoaded{std::unexpected(std::string("x")), 3, h.state.reader.chapter_url,
                          h.state.reader.image_request});
  EXPECT_EQ(h.state.reader.page_image, nullptr);
  EXPECT_TRUE(h.state.reader.reader_loading);
  EXPECT_FALSE(h.state.details.current_history.has_value());
  EXPECT_TRUE(h.store.load_history().empty());
}

TEST(PageImageLoaded, TheCurrentPageIsShownAndItsProgressSaved) {
  Harness h;
  read_page_two(h);
  const SharedImage image = tiny_image();
  h.apply(PageImageLoaded{image, 2, h.state.reader.chapter_url, h.state.reader.image_request});
  EXPECT_EQ(h.state.reader.page_image, image);
  EXPECT_FALSE(h.state.reader.reader_loading);
  ASSERT_TRUE(h.state.details.current_history.has_value());
  EXPECT_EQ(h.state.details.current_history->manga_url, "https://site.test/t");
  EXPECT_EQ(h.state.details.current_history->last_chapter_title, "Chapter 3");
  EXPECT_EQ(h.state.details.current_history->last_page_idx, 2u);
  EXPECT_EQ(h.state.details.current_history->total_pages, 20u);
  EXPECT_EQ(h.state.details.current_history->timestamp, 1700000123u)
      << "stamped by the context's clock";
  EXPECT_EQ(h.store.get_history_entry("https://site.test/t"), h.state.details.current_history);
}

TEST(PageImageLoaded, AFailureIsLoggedWithItsPageIndex) {
  Harness h;
  read_page_two(h);
  ::testing::internal::CaptureStderr();
  h.apply(PageImageLoaded{std::unexpected(std::string("Failed to download image data")), 2,
                          h.state.reader.chapter_url, h.state.reader.image_request});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[NetTruyen] Page 2 image error: Failed to download image data\n");
  EXPECT_EQ(h.state.reader.page_image, nullptr);
  EXPECT_FALSE(h.state.reader.reader_loading);
  EXPECT_TRUE(h.store.load_history().empty());
}

}  // namespace
}  // namespace zentomi
