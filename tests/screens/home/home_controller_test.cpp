#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "screens/home/home_geometry.hpp"
#include "screens/home/home_navigation.hpp"
#include "support/home_harness.hpp"

namespace zentomi {
namespace {

using ::testing::ElementsAre;

std::vector<MangaItem> numbered_items(std::size_t count) {
  std::vector<MangaItem> items;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    items.push_back({"Title " + n, "https://site/truyen/" + n, "", "Chapter " + n, ""});
  }
  return items;
}

struct HomeHarness : testing::HomeHarness {
  explicit HomeHarness(int width = 1280, int height = 720, std::size_t count = 12)
      : testing::HomeHarness(numbered_items(count), width, height) {}
  ListCursor cursor() const { return {state.home.home_selected, state.home.home_scroll}; }
  void set(std::size_t selected, std::size_t scroll) {
    state.home.home_selected = selected;
    state.home.home_scroll = scroll;
  }
};

TEST(HomeRows, FollowTheScreenHeight) {
  EXPECT_EQ(home_geometry::grid_rows(720), 1u);
  EXPECT_EQ(home_geometry::grid_rows(768), 2u);
  EXPECT_EQ(home_geometry::grid_rows(100), 1u);
  EXPECT_EQ(home_geometry::list_rows(720), 8u);
  EXPECT_EQ(home_geometry::list_rows(768), 9u);
  EXPECT_EQ(home_geometry::list_rows(0), 1u);
}

TEST(HomeGrid, FiveColumnsStopAtTheEndOfTheList) {
  HomeHarness h;  // 1280 x 720: five columns, one row, 12 items
  h.set(9, 5);
  h.press(Button::Down);  // 14 >= 12
  EXPECT_EQ(h.cursor(), (ListCursor{9, 5}));
  h.press(Button::Right);
  EXPECT_EQ(h.cursor(), (ListCursor{10, 10}));  // crossing into the next row scrolls by a row
  h.press(Button::Right);
  EXPECT_EQ(h.cursor(), (ListCursor{11, 10}));
  h.press(Button::Right);
  EXPECT_EQ(h.cursor(), (ListCursor{11, 10}));
}

TEST(HomeGrid, FourColumnsOneVisibleRowScrollByWholeRows) {
  HomeHarness h(1024, 720);  // four columns (width < 1200), one row at this height
  ASSERT_EQ(h.state.home.grid_columns, 4u);
  h.set(2, 0);
  h.press(Button::Down);
  EXPECT_EQ(h.cursor(), (ListCursor{6, 4}));
  h.press(Button::Up);
  EXPECT_EQ(h.cursor(), (ListCursor{2, 0}));
  h.set(4, 4);
  h.press(Button::Left);
  EXPECT_EQ(h.cursor(), (ListCursor{3, 0}));
}

TEST(HomeGrid, TwoVisibleRowsOnTheBrick) {
  HomeHarness h(1024, 768, 20);
  h.press(Button::Down);
  EXPECT_EQ(h.cursor(), (ListCursor{4, 0}));  // second row is still visible
  h.press(Button::Down);
  EXPECT_EQ(h.cursor(), (ListCursor{8, 4}));
  h.press(Button::Up);
  EXPECT_EQ(h.cursor(), (ListCursor{4, 4}));
  h.press(Button::Up);
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
  h.press(Button::Up);
  h.press(Button::Left);
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
}

TEST(HomeGrid, UpFromASmallScrollReturnsToTheTop) {
  // F < G: a selection above the view scrolls to 0 rather than wrapping.
  HomeHarness h;
  h.set(5, 3);
  h.press(Button::Left);
  EXPECT_EQ(h.cursor(), (ListCursor{4, 3}));
  h.press(Button::Left, 2);
  EXPECT_EQ(h.cursor(), (ListCursor{2, 0}));
}

TEST(HomeList, EightRowsOnTheSmallScreen) {
  HomeHarness h;
  h.press(Button::X);
  ASSERT_FALSE(h.state.home.grid_view);
  h.press(Button::Down, 7);
  EXPECT_EQ(h.cursor(), (ListCursor{7, 0}));
  h.press(Button::Down);
  EXPECT_EQ(h.cursor(), (ListCursor{8, 1}));
  h.press(Button::Down, 10);
  EXPECT_EQ(h.cursor(), (ListCursor{11, 4}));
  h.press(Button::Left);
  h.press(Button::Right);
  EXPECT_EQ(h.cursor(), (ListCursor{11, 4}));
  h.press(Button::Up, 8);
  EXPECT_EQ(h.cursor(), (ListCursor{3, 3}));
}

TEST(HomeList, NineRowsOnTheBrick) {
  HomeHarness h(1024, 768);
  h.press(Button::X);
  h.press(Button::Down, 9);
  EXPECT_EQ(h.cursor(), (ListCursor{9, 1}));
}

TEST(HomeView, XTogglesTheLayoutKeepingTheSelectionInView) {
  HomeHarness h;  // 12 items: a grid of one row of five, a list of eight rows
  h.set(7, 5);
  h.press(Button::X);
  EXPECT_FALSE(h.state.home.grid_view);
  EXPECT_EQ(h.cursor(), (ListCursor{7, 0}));  // on the first page: back to the top
  h.press(Button::Down, 3);
  EXPECT_EQ(h.cursor(), (ListCursor{10, 3}));
  h.press(Button::X);
  EXPECT_TRUE(h.state.home.grid_view);
  EXPECT_EQ(h.cursor(), (ListCursor{10, 10}));  // past it: the row of the selection
  h.press(Button::Up);
  EXPECT_EQ(h.cursor(), (ListCursor{5, 5}));
  h.set(11, 10);
  h.press(Button::X);
  EXPECT_EQ(h.cursor(), (ListCursor{11, 4}));  // the list's last row
}

TEST(HomeView, EmptyListIgnoresMovesAndA) {
  HomeHarness h(1280, 720, 0);
  for (Button b : {Button::Up, Button::Down, Button::Left, Button::Right, Button::A})
    h.press(b);
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_TRUE(h.jobs.requests.empty());
}

TEST(HomeRetry, AAfterAFailedListingAsksAgainOnce) {
  HomeHarness h(1280, 720, 0);
  h.state.home.home_error = "Network error: exit code Some(6)";
  h.press(Button::A);
  EXPECT_THAT(h.jobs.requests, ElementsAre(JobRequest{job::HomeListing{}}));
  EXPECT_TRUE(h.state.home.home_loading);
  EXPECT_FALSE(h.state.home.home_error.has_value());
  EXPECT_EQ(h.state.screen, Screen::Home);
  h.press(Button::A, 3);  // the listing is on its way
  EXPECT_EQ(h.jobs.requests.size(), 1u);
}

TEST(HomeRetry, AKeepsItsOldMeaningWithTheFilterOnOrTitlesShown) {
  HomeHarness favourites(1280, 720, 0);
  favourites.state.home.home_error = "Network error: exit code Some(6)";
  favourites.state.home.favorites_only = true;
  favourites.press(Button::A);
  EXPECT_TRUE(favourites.jobs.requests.empty());
  EXPECT_FALSE(favourites.state.home.home_loading);
  EXPECT_EQ(favourites.state.screen, Screen::Home);

  HomeHarness titles;
  titles.state.home.home_error = "Network error: exit code Some(6)";
  titles.set(2, 0);
  titles.press(Button::A);
  EXPECT_THAT(titles.jobs.requests, ElementsAre(JobRequest{job::Detail{"https://site/truyen/2"}}));
  EXPECT_EQ(titles.state.screen, Screen::Detail);
  EXPECT_FALSE(titles.state.home.home_loading);
}

TEST(HomeOpen, AOpensTheSelectedTitleAndAsksForItsDetail) {
  HomeHarness h;
  MangaHistory earlier{
      "https://site/truyen/3", "Title 3", "Chapter 2", "https://site/c2", 4, 20, 99};
  {
    std::optional<MangaHistory> current;
    h.store.record_progress(h.state.home.displayed_items[3], "Chapter 2", "https://site/c2", 4, 20,
                            current, std::chrono::system_clock::from_time_t(99));
  }
  h.state.details.detail = MangaDetail{"Old", "", "", "", "", "", {{"c", "u"}}};
  h.state.details.chapters = {{"c", "u"}};
  h.state.details.chapters_site_order = {{"c", "u"}};
  h.state.details.chapter_selected = 3;
  h.state.details.chapters_reversed = true;
  h.set(3, 0);
  h.press(Button::A);
  EXPECT_EQ(h.state.screen, Screen::Detail);
  ASSERT_TRUE(h.state.details.current_item.has_value());
  EXPECT_EQ(h.state.details.current_item->url, "https://site/truyen/3");
  EXPECT_EQ(h.state.details.current_history, earlier);
  EXPECT_FALSE(h.state.details.detail.has_value());
  EXPECT_TRUE(h.state.details.chapters.empty());
  EXPECT_TRUE(h.state.details.chapters_site_order.empty());
  EXPECT_TRUE(h.state.details.detail_loading);
  EXPECT_EQ(h.state.details.chapter_selected, 3u);  // reset only when the detail arrives
  EXPECT_TRUE(h.state.details.chapters_reversed);   // the chosen order applies to every title
  EXPECT_THAT(h.jobs.requests, ElementsAre(JobRequest{job::Detail{"https://site/truyen/3"}}));

  h.press(Button::B);  // back home keeps everything
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_EQ(h.cursor(), (ListCursor{3, 0}));
  h.set(4, 0);
  h.press(Button::A);
  EXPECT_FALSE(h.state.details.current_history.has_value());
}

TEST(HomeSort, YCyclesAndTheThirdPressRestoresTheSiteOrder) {
  HomeHarness h(1280, 720, 0);
  h.state.home.all_items = {{"banana", "u1", "", "", "1K"},
                            {"Apple", "u2", "", "", "5"},
                            {"cherry", "u3", "", "", "2,000"}};
  h.state.home.source_items = h.state.home.all_items;
  h.state.home.displayed_items = h.state.home.all_items;
  h.set(2, 0);
  h.press(Button::Y);
  EXPECT_EQ(h.state.home.sort_mode, SortMode::Views);
  EXPECT_EQ(h.state.home.displayed_items[0].url, "u3");
  EXPECT_EQ(h.state.home.displayed_items[1].url, "u1");
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
  h.press(Button::Y);
  EXPECT_EQ(h.state.home.sort_mode, SortMode::NameAZ);
  EXPECT_EQ(h.state.home.displayed_items[0].url, "u2");
  h.press(Button::Y);
  EXPECT_EQ(h.state.home.sort_mode, SortMode::Latest);
  EXPECT_EQ(h.state.home.displayed_items, h.state.home.source_items);
}

TEST(HomeFavorites, SelectShowsTheStoredFavouritesAndSelectAgainReturns) {
  HomeHarness h;
  h.store.toggle_favorite(h.state.home.all_items[5]);
  h.store.toggle_favorite(h.state.home.all_items[1]);  // newest favourite first
  h.press(Button::Y);                                  // sorted by views (all zero: order kept)
  h.set(3, 0);
  h.press(Button::Select);
  EXPECT_TRUE(h.state.home.favorites_only);
  ASSERT_EQ(h.state.home.displayed_items.size(), 2u);
  EXPECT_EQ(h.state.home.displayed_items[0].url, h.state.home.all_items[1].url);
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
  h.press(Button::Down);
  h.press(Button::Select);
  EXPECT_FALSE(h.state.home.favorites_only);
  EXPECT_EQ(h.state.home.displayed_items.size(), 12u);
  EXPECT_EQ(h.state.home.sort_mode, SortMode::Views);
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
}

TEST(HomeFavorites, NoFavouritesGivesAnEmptyList) {
  HomeHarness h;
  h.press(Button::Select);
  EXPECT_TRUE(h.state.home.favorites_only);
  EXPECT_TRUE(h.state.home.displayed_items.empty());
}

TEST(HomeFavorites, LeavingADetailRereadsTheFavouritesAndClampsTheSelection) {
  HomeHarness h;
  h.store.toggle_favorite(h.state.home.all_items[0]);
  h.store.toggle_favorite(h.state.home.all_items[1]);
  h.press(Button::Select);
  h.press(Button::Right);
  h.press(Button::A);  // opens all_items[0], the second favourite
  ASSERT_EQ(h.state.screen, Screen::Detail);
  h.store.toggle_favorite(h.state.details.current_item);  // un-favourited on the detail screen
  h.press(Button::B);
  EXPECT_EQ(h.state.screen, Screen::Home);
  ASSERT_EQ(h.state.home.displayed_items.size(), 1u);
  EXPECT_EQ(h.state.home.home_selected, 0u);
}

TEST(HomeUpdate, StartOpensTheUpdateScreenAndChecksOnlyWhenNeeded) {
  HomeHarness h;
  h.press(Button::Start);
  EXPECT_EQ(h.state.screen, Screen::Update);
  EXPECT_TRUE(std::holds_alternative<update_status::Checking>(h.state.update.update_status));
  EXPECT_THAT(h.jobs.requests, ElementsAre(JobRequest{job::UpdateCheck{}}));

  h.press(Button::B);
  EXPECT_EQ(h.state.screen, Screen::Home);
  h.press(Button::Start);  // a check is still running: only the screen changes
  EXPECT_EQ(h.jobs.requests.size(), 1u);

  h.press(Button::B);
  h.state.update.update_status = update_status::Failed{"x"};
  h.state.update.update_manifest = OtaManifest{"1.0.2", "n", "c", "https://u", 1.0f, std::nullopt};
  h.press(Button::Start);  // an update is already known
  EXPECT_EQ(h.state.screen, Screen::Update);
  EXPECT_EQ(h.jobs.requests.size(), 1u);
}

TEST(HomeExit, BAndMenuEndTheProgramWithTheirLines) {
  HomeHarness h;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(h.press(Button::B));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[App] Clean exit to MainUI via Button B.\n");
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(h.press(Button::Menu));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] Clean exit requested by user via MENU button.\n");
  for (Button b : {Button::L1, Button::R1, Button::L2, Button::R2})
    EXPECT_FALSE(h.press(b));
  EXPECT_EQ(h.cursor(), (ListCursor{0, 0}));
}

TEST(OtherScreens, MenuExitsSilentlyAndBGoesBack) {
  HomeHarness h;
  h.state.screen = Screen::Update;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(h.press(Button::A));
  EXPECT_FALSE(h.press(Button::B));
  EXPECT_EQ(h.state.screen, Screen::Home);
  h.state.screen = Screen::Detail;
  EXPECT_TRUE(h.press(Button::Menu));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace zentomi
