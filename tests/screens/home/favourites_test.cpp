// The favourites as the home screen keeps them: brought up to date by the results that name them,
// with no request of their own, and checked when the favourites filter asks, the check stopped as
// soon as they leave the screen, its answers kept.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "model/site_address.hpp"
#include "screens/home/favourites_news.hpp"
#include "support/chapter_lists.hpp"
#include "support/home_harness.hpp"
#include "support/model_printers.hpp"

namespace zentomi {
namespace {

using Items = std::vector<MangaItem>;
const auto NOW = std::chrono::system_clock::from_time_t(1700000000);
const std::string SITE = "https://site.test/truyen-tranh/";

MangaItem title(const std::string& slug, const std::string& chapter) {
  return {"Title " + slug, SITE + slug, "", chapter, ""};
}

// The favourites saved, the front page's titles on screen, the clock at NOW.
struct Harness : testing::HomeHarness {
  explicit Harness(const Items& favourites, Items front_page = {})
      : HomeHarness(std::move(front_page), 1280, 720, [] { return NOW; }) {
    store.save_favorites(favourites);
  }
  std::vector<std::string> stored_chapters() {
    std::vector<std::string> chapters;
    for (const MangaItem& item : store.load_favorites())
      chapters.push_back(item.latest_chapter);
    return chapters;
  }
};

// Three favourites, the first read before, on a front page of another title.
struct CheckHarness : Harness {
  CheckHarness()
      : Harness({title("a", "Chapter 300"), title("b", "Chapter 45"), title("c", "")},
                {title("x", "Chapter 1")}) {
    store.record_progress(title("a", ""), "Chapter 300", SITE + "a/chuong-300", 0, 9,
                          state.details.current_history, NOW);
    state.details.current_history.reset();
  }
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
};

TEST(FavouritesCheckOnHome, TheFilterStartsACheckOfTheDueFavouritesNewestFirst) {
  CheckHarness h;
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
    CheckHarness h;
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
  CheckHarness h;
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
  CheckHarness h;
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

TEST(FreshForFree, TheFrontPageAndASearchRefreshFavouritesWithoutAFetch) {
  Harness h({title("a", "Chapter 300"), title("b", "Chapter 7")});
  h.state.home.favorites_only = true;  // the favourites stay on screen, with the new line
  h.state.home.source_items = h.state.home.displayed_items = h.store.load_favorites();
  h.apply(HomeLoaded{Items{title("x", "Chapter 1"), title("a", "Chapter 302")}});
  EXPECT_EQ(h.stored_chapters(), (std::vector<std::string>{"Chapter 302", "Chapter 7"}));
  EXPECT_EQ(h.state.home.displayed_items[0].latest_chapter, "Chapter 302");
  EXPECT_EQ(h.state.home.source_items[0].latest_chapter, "Chapter 302");
  // A search nobody waits for any more still says what it found.
  h.apply(SearchLoaded{Items{title("b", "Chapter 9")}, "old query"});
  EXPECT_EQ(h.stored_chapters(), (std::vector<std::string>{"Chapter 302", "Chapter 9"}));
  EXPECT_TRUE(h.jobs.requests.empty());
}

TEST(FreshForFree, ATitlesDetailGivesAFavouriteItsNewestChapterAndItsNews) {
  Harness h({title("a", "Chapter 300"), title("b", "Chapter 7")});
  const MangaItem a = title("a", "Chapter 300");
  h.store.record_progress(a, "Chapter 300", SITE + "a/chuong-300", 3, 20,
                          h.state.details.current_history, NOW);
  MangaDetail detail;
  detail.chapters = testing::chapters_down_from(SITE + "a", 302, 1);
  h.apply(DetailLoaded{detail, a.url});
  EXPECT_EQ(h.stored_chapters(), (std::vector<std::string>{"Chapter 302", "Chapter 7"}));
  const FavouriteNews& news = h.state.news.titles.at(title_key(a.url));
  EXPECT_EQ(news.refreshed, NOW);
  EXPECT_EQ(new_chapter_count(news, std::nullopt), 2u);

  // The front page naming a newer chapter than the news know of: their count is forgotten.
  h.apply(HomeLoaded{Items{title("a", "Chapter 302")}});
  EXPECT_TRUE(h.state.news.titles.contains(title_key(a.url)));
  h.apply(HomeLoaded{Items{title("a", "Chapter 303")}});
  EXPECT_FALSE(h.state.news.titles.contains(title_key(a.url)));

  // A title that is no favourite leaves no news and the file as it was.
  h.apply(DetailLoaded{detail, SITE + "other"});
  EXPECT_FALSE(h.state.news.titles.contains(title_key(SITE + "other")));
  EXPECT_EQ(h.stored_chapters(), (std::vector<std::string>{"Chapter 303", "Chapter 7"}));
  EXPECT_TRUE(h.jobs.requests.empty());
}

}  // namespace
}  // namespace zentomi
