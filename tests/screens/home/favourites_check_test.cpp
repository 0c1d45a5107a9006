// The check of the favourites as the home screen drives it: started by the favourites filter,
// stopped as soon as they leave the screen, its answers kept.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "model/site_address.hpp"
#include "screens/dispatch.hpp"
#include "screens/home/favourites_news.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

const auto NOW = std::chrono::system_clock::from_time_t(1700000000);
const std::string SITE = "https://site.test/truyen-tranh/";

MangaItem title(const std::string& slug, const std::string& chapter) {
  return {"Title " + slug, SITE + slug, "", chapter, ""};
}

struct Harness {
  Harness() {
    store.save_favorites({title("a", "Chapter 300"), title("b", "Chapter 45"), title("c", "")});
    store.record_progress(title("a", ""), "Chapter 300", SITE + "a/chuong-300", 0, 9,
                          state.details.current_history, NOW);
    state.details.current_history.reset();
    state.home.home_loading = false;
    state.home.all_items = state.home.source_items =
        state.home.displayed_items = {title("x", "Chapter 1")};
  }
  bool press(Button button) { return handle_button(state, button, context); }
  // The check requests made so far.
  std::vector<job::FavouritesCheck> checks() const {
    std::vector<job::FavouritesCheck> found;
    for (const JobRequest& request : jobs.requests) {
      if (const auto* check = std::get_if<job::FavouritesCheck>(&request)) found.push_back(*check);
    }
    return found;
  }
  FavouriteRefreshed refreshed(const std::string& slug, int newest, std::size_t index,
                               std::uint64_t request) {
    FavouriteNews news{"Chapter " + std::to_string(newest), {}, {}};
    for (int n = newest; n >= 300; --n)
      news.chapters.push_back(title_key(SITE + slug + "/chuong-" + std::to_string(n)));
    return {SITE + slug, std::move(news), index, 3, request};
  }

  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store, [] { return NOW; }};
  AppState state = make_initial_state(1280, 720);
};

TEST(FavouritesCheckOnHome, TheFilterStartsACheckOfTheDueFavouritesNewestFirst) {
  Harness h;
  h.state.news.titles[title_key(SITE + "b")].refreshed = NOW - std::chrono::minutes(10);
  h.press(Button::Select);
  ASSERT_EQ(h.checks().size(), 1u);
  const job::FavouritesCheck check = h.checks()[0];
  ASSERT_EQ(check.targets.size(), 2u);
  EXPECT_EQ(check.targets[0].url, SITE + "a");
  // The history keeps its addresses under the origin of the build.
  EXPECT_TRUE(same_title(check.targets[0].last_read_url, SITE + "a/chuong-300"));
  EXPECT_EQ(check.targets[1], (FavouriteTarget{SITE + "c", ""}));
  EXPECT_TRUE(h.state.news.check.running);
  EXPECT_EQ(h.state.news.check.total, 2u);
  EXPECT_EQ(h.state.news.check.request, check.request);

  // Nothing due a minute later: the filter turned on again asks nothing.
  h.press(Button::Select);
  h.state.news.check.running = false;
  for (const char* slug : {"a", "c"})
    h.state.news.titles[title_key(SITE + slug)].refreshed = NOW;
  h.press(Button::Select);
  EXPECT_EQ(h.checks().size(), 2u) << "only the stop of the first";
}

TEST(FavouritesCheckOnHome, LeavingTheFavouritesStopsTheCheck) {
  struct Case {
    const char* what;
    std::vector<Button> presses;
  };
  const Case cases[] = {
      {"the filter turned off", {Button::Select}}, {"a title opened", {Button::A}},
      {"the update screen", {Button::Start}},      {"the keyboard", {Button::R2}},
      {"the reading history", {Button::L2}},
  };
  for (const Case& c : cases) {
    Harness h;
    h.press(Button::Select);
    const std::uint64_t started = h.state.news.check.request;
    h.press(Button::Down);
    h.press(Button::X);
    ASSERT_EQ(h.checks().size(), 1u) << c.what << ": moving about keeps it going";
    for (Button button : c.presses)
      h.press(button);
    EXPECT_FALSE(h.state.news.check.running) << c.what;
    ASSERT_EQ(h.checks().size(), 2u) << c.what;
    EXPECT_TRUE(h.checks()[1].targets.empty()) << c.what;
    EXPECT_GT(h.checks()[1].request, started) << c.what;
  }
}

TEST(FavouritesCheckOnHome, AnswersAreKeptAndOnlyTheCurrentCheckMovesTheChip) {
  Harness h;
  h.press(Button::Select);
  const std::uint64_t request = h.state.news.check.request;
  FavouriteRefreshed a = h.refreshed("a", 302, 0, request);
  apply_favourite_refreshed(h.state, h.store, a, NOW);
  EXPECT_EQ(h.state.news.check.done, 1u);
  EXPECT_EQ(h.state.home.displayed_items[0].latest_chapter, "Chapter 302");
  EXPECT_EQ(h.store.load_favorites()[0].latest_chapter, "Chapter 302");
  EXPECT_EQ(new_chapters(h.state, title("a", "")), 2u);
  EXPECT_EQ(h.state.news.titles.at(title_key(SITE + "a")).refreshed, NOW);

  // A late answer of an older check still informs, but moves no chip.
  FavouriteRefreshed b = h.refreshed("b", 301, 1, request - 1);
  apply_favourite_refreshed(h.state, h.store, b, NOW);
  EXPECT_EQ(h.state.news.check.done, 1u);
  EXPECT_EQ(h.store.load_favorites()[1].latest_chapter, "Chapter 301");
  apply_favourites_check_ended(h.state, {std::nullopt, request - 1});
  EXPECT_TRUE(h.state.news.check.running);

  ::testing::internal::CaptureStderr();
  apply_favourites_check_ended(h.state, {"Network error: no route", request});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Favorites] Check stopped: Network error: no route\n");
  EXPECT_FALSE(h.state.news.check.running);
}

TEST(FavouritesCheckOnHome, TheChapterReadCountsAfterAnotherTitleOpens) {
  Harness h;
  FavouriteRefreshed a = h.refreshed("a", 302, 0, 0);
  apply_favourite_refreshed(h.state, h.store, a, NOW);
  h.state.details.current_item = title("a", "");
  h.state.details.current_history =
      MangaHistory{SITE + "a", "", "Chapter 301", SITE + "a/chuong-301", 0, 9, 1};
  EXPECT_EQ(new_chapters(h.state, title("a", "")), 1u) << "the title being read";
  h.press(Button::A);  // another title opens in its place
  EXPECT_EQ(h.state.details.current_item->url, SITE + "x");
  EXPECT_EQ(new_chapters(h.state, title("a", "")), 1u);
}

}  // namespace
}  // namespace zentomi
