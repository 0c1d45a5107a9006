#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screens/search/keyboard.hpp"
#include "support/home_harness.hpp"
#include "support/no_services.hpp"

namespace zentomi {
namespace {

std::vector<std::string> titles(const std::vector<MangaItem>& items) {
  std::vector<std::string> result;
  for (const MangaItem& item : items)
    result.push_back(item.title);
  return result;
}

MangaHistory read_at(std::string url, std::string title, std::string chapter, std::uint64_t page,
                     std::uint64_t timestamp) {
  return {url, std::move(title), std::move(chapter), url + "/chap", page, 10, timestamp};
}

struct Harness : testing::HomeHarness {
  Harness()
      : HomeHarness({{"Front A", "https://site/a", "https://cdn/a.jpg", "Chapter 40", "1"},
                     {"Front B", "https://site/b", "", "Chapter 9", "2"},
                     {"Front C", "https://site/c", "", "Chapter 3", "3"}}) {}
  void answer(WorkerResult result) { apply(std::move(result)); }
  // Types `text` on the keyboard from its first key, then searches.
  void search(const std::string& text) {
    press(Button::R2);
    for (const char c : text) {
      // Only the letters of the keyboard's second row are used here: "qwertyuiop".
      const auto column = static_cast<int>(std::string_view("qwertyuiop").find(c));
      state.search.key_row = 0;
      state.search.key_column = 0;
      press(Button::Down);
      press(Button::Right, column);
      press(Button::A);
    }
    press(Button::Start);
  }
};

TEST(ReadingHistory, ShowsNewestReadFirstWithThePositionAsChapterLine) {
  Harness h;
  h.store.save_favorites({{"Fav Z", "https://site/z", "https://cdn/z.jpg", "Chapter 1", ""}});
  h.store.save_history({
      {"https://site/old", read_at("https://site/old", "Gone", "Chapter 1", 0, 100)},
      {"https://site/a", read_at("https://site/a", "Front A", "Chapter 12", 4, 300)},
      {"https://site/z", read_at("https://site/z", "Fav Z", "", 2, 200)},
  });
  h.state.home.home_selected = 2;
  h.press(Button::L2);

  ASSERT_THAT(titles(h.state.home.displayed_items),
              ::testing::ElementsAre("Front A", "Fav Z", "Gone"));
  const auto& shown = h.state.home.displayed_items;
  EXPECT_EQ(shown[0].latest_chapter, "Chapter 12 · Trang 5");
  EXPECT_EQ(shown[1].latest_chapter, "Trang 3");
  EXPECT_EQ(shown[0].thumb_url, "https://cdn/a.jpg");  // from the listing
  EXPECT_EQ(shown[1].thumb_url, "https://cdn/z.jpg");  // from the favourites
  EXPECT_EQ(shown[2].thumb_url, "");                   // nowhere: the placeholder
  EXPECT_EQ(h.state.home.home_selected, 0u);

  // Y and SELECT leave the history as it is.
  h.press(Button::Y);
  h.press(Button::Select);
  EXPECT_THAT(titles(h.state.home.displayed_items),
              ::testing::ElementsAre("Front A", "Fav Z", "Gone"));

  // A opens the title as the listing knows it, not with the reading position as its chapter.
  h.press(Button::A);
  ASSERT_EQ(h.state.screen, Screen::Detail);
  EXPECT_EQ(h.state.details.current_item, h.state.front_page->all_items[0]);
  EXPECT_EQ(h.jobs.requests.back(), JobRequest(job::Detail{"https://site/a"}));

  // Back on the home screen, B returns to the front page where it was left.
  h.state.screen = Screen::Home;
  h.press(Button::B);
  EXPECT_THAT(titles(h.state.home.displayed_items),
              ::testing::ElementsAre("Front A", "Front B", "Front C"));
  EXPECT_EQ(h.state.home.home_selected, 2u);
  EXPECT_EQ(h.state.home.source, HomeSource::FrontPage);
}

TEST(ReadingHistory, ATitleThatLeftTheListingShowsTheCoverItWasReadWith) {
  Harness h;
  std::optional<MangaHistory> current;
  h.store.record_progress(MangaItem{"Gone", "https://site/old", "https://cdn/old.jpg", "", ""},
                          "Chapter 1", "https://site/old/chap", 0, 10, current, wall_now());
  h.press(Button::L2);
  ASSERT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("Gone"));
  EXPECT_EQ(h.state.home.displayed_items[0].thumb_url, "https://cdn/old.jpg");
}

TEST(ReadingHistory, AListingArrivingMeanwhileWaitsForTheWayBack) {
  Harness h;
  h.state.home.home_loading = true;
  h.press(Button::L2);
  EXPECT_FALSE(h.state.home.home_loading);
  h.answer(HomeLoaded{std::vector<MangaItem>{{"New", "https://site/new", "", "", ""}}});
  EXPECT_TRUE(h.state.home.displayed_items.empty());  // still the (empty) history
  h.press(Button::L2);
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("New"));
  EXPECT_FALSE(h.state.home.home_loading);
}

TEST(SearchKeyboard, WrapsAtItsEdgesAndTakesTheLastKeyOfShorterRows) {
  Harness h;
  h.press(Button::R2);
  ASSERT_EQ(h.state.screen, Screen::Search);
  auto type_here = [&] { h.press(Button::A); };
  h.press(Button::Left);
  type_here();  // from "1" round to the row's end, "0"
  h.press(Button::Right);
  type_here();  // and back round to "1"
  h.press(Button::Up);
  type_here();  // from the top row round to the last, "z"
  h.press(Button::Down);
  h.press(Button::Left);
  h.press(Button::Down);
  type_here();  // "p"
  h.press(Button::Down);
  type_here();  // the nine-key row ends at "l"
  h.press(Button::Down);
  type_here();  // the space bar ends the last row
  h.press(Button::Down);
  type_here();  // below it, round to the top row: "8"
  EXPECT_EQ(h.state.search.query, "01zpl 8");
  h.press(Button::X);
  h.press(Button::X);
  EXPECT_EQ(h.state.search.query, "01zpl");
  // B leaves the keyboard and keeps the query for the next time.
  h.press(Button::B);
  EXPECT_EQ(h.state.screen, Screen::Home);
  h.press(Button::R2);
  EXPECT_EQ(h.state.search.query, "01zpl");
  EXPECT_TRUE(h.jobs.requests.empty());
}

TEST(SearchKeyboard, R2BringsBackTheLastFiveQueriesNewestFirst) {
  Harness h;
  h.press(Button::R2);
  h.press(Button::R2);  // nothing searched yet: nothing to bring back
  EXPECT_EQ(h.state.search.query, "");
  h.press(Button::B);
  for (const char* query : {"we", "q", "we", "t", "r", "e", "w"}) {
    h.state.search.query.clear();
    h.search(query);
  }
  h.press(Button::R2);  // the keyboard, over the results of "w"
  ASSERT_EQ(h.state.screen, Screen::Search);
  std::vector<std::string> recalled;
  for (int i = 0; i < 6; ++i) {
    h.press(Button::R2);
    recalled.push_back(h.state.search.query);
  }
  // Five kept, each once; "q" is the oldest and has dropped out; then round again.
  EXPECT_THAT(recalled, ::testing::ElementsAre("w", "e", "r", "t", "we", "w"));
  h.press(Button::R2);
  h.press(Button::Start);
  EXPECT_EQ(h.jobs.requests.back(), JobRequest(job::Search{"e"}));
}

TEST(Search, ShowsItsAnswerWithTheHomeKeysAndBGoesBackToTheFrontPage) {
  Harness h;
  h.search("wet");
  ASSERT_EQ(h.state.screen, Screen::Home);
  ASSERT_EQ(h.jobs.requests.back(), JobRequest(job::Search{"wet"}));
  EXPECT_TRUE(h.state.home.home_loading);
  h.store.save_favorites({{"Two", "https://site/2", "", "", ""}});
  h.answer(SearchLoaded{std::vector<MangaItem>{{"One", "https://site/1", "", "", "5"},
                                               {"Two", "https://site/2", "", "", "9"}},
                        "wet"});
  EXPECT_FALSE(h.state.home.home_loading);
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("One", "Two"));
  h.press(Button::Y);  // by views
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("Two", "One"));
  h.press(Button::Select);  // the favourites among the results
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("Two"));
  h.press(Button::Select);
  h.press(Button::B);
  EXPECT_THAT(titles(h.state.home.displayed_items),
              ::testing::ElementsAre("Front A", "Front B", "Front C"));
}

// The way back from a title filters as the filter key does: the favourites among the results,
// not every favourite.
TEST(Search, TheFavouritesFilterOverResultsSurvivesATitleOpenedAndLeft) {
  Harness h;
  h.store.save_favorites(
      {{"Two", "https://site/2", "", "", ""}, {"Elsewhere", "https://site/9", "", "", ""}});
  h.search("wet");
  h.answer(SearchLoaded{std::vector<MangaItem>{{"One", "https://site/1", "", "", "5"},
                                               {"Two", "https://site/2", "", "", "9"}},
                        "wet"});
  h.press(Button::Select);
  ASSERT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("Two"));
  h.press(Button::A);
  ASSERT_EQ(h.state.screen, Screen::Detail);
  h.press(Button::B);
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("Two"));
}

// Start with nothing typed stays on the keyboard and asks nothing; typing stops at the limit.
TEST(Search, AnEmptyQuerySearchesNothingAndAQueryStopsAtItsLimit) {
  Harness h;
  h.press(Button::R2);
  h.press(Button::Start);
  EXPECT_EQ(h.state.screen, Screen::Search);
  EXPECT_TRUE(h.jobs.requests.empty());
  h.press(Button::A, static_cast<int>(keyboard::QUERY_LIMIT) + 3);
  EXPECT_EQ(h.state.search.query.size(), keyboard::QUERY_LIMIT);
  h.press(Button::Start);
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_EQ(h.jobs.requests.back(), JobRequest(job::Search{h.state.search.query}));
}

TEST(Search, AnswersForASearchTheUserLeftOrReplacedAreDropped) {
  Harness h;
  h.search("we");
  h.press(Button::B);  // back to the front page before the answer
  h.answer(SearchLoaded{std::vector<MangaItem>{{"Late", "https://site/late", "", "", ""}}, "we"});
  EXPECT_THAT(titles(h.state.home.displayed_items),
              ::testing::ElementsAre("Front A", "Front B", "Front C"));

  h.search("q");
  h.state.search.query.clear();
  h.search("t");  // a new query before the first one is answered
  h.answer(SearchLoaded{std::vector<MangaItem>{{"For q", "https://site/q", "", "", ""}}, "q"});
  EXPECT_TRUE(h.state.home.displayed_items.empty());
  EXPECT_TRUE(h.state.home.home_loading);
  h.answer(SearchLoaded{std::vector<MangaItem>{{"For t", "https://site/t", "", "", ""}}, "t"});
  EXPECT_THAT(titles(h.state.home.displayed_items), ::testing::ElementsAre("For t"));
}

// Away from the front page, the empty and failed screens say how to go back, and the history
// offers no sort key, which does nothing there.
TEST(HomeSources, EmptyAndFailedScreensNameBAndTheHistoryNoSortChip) {
  Font font = Font::load_embedded().value();
  const auto drawn = [&](const AppState& state) {
    Canvas canvas(state.screen_width, state.screen_height);
    Renderer renderer{canvas, font};
    testing::NoServices services;
    draw_screen(renderer, state, services);
    return canvas;
  };
  const auto inked = [](const Canvas& canvas, int x, int y, int w, int height, Color color) {
    for (int py = y; py < y + height; ++py) {
      for (int px = x; px < x + w; ++px) {
        if (canvas.pixel(px, py) == color) return true;
      }
    }
    return false;
  };
  Harness front;
  front.state.home.displayed_items.clear();
  Harness history;
  history.press(Button::L2);
  Harness nothing_found;
  nothing_found.search("q");
  nothing_found.answer(SearchLoaded{std::vector<MangaItem>{}, "q"});
  Harness failed;
  failed.search("q");
  failed.answer(SearchLoaded{std::unexpected(std::string("Network error")), "q"});
  // The line below the message (h / 2 + 35) or the retry line (h / 2 + 15), wider for [B].
  const auto names_b = [&](const Harness& h) {
    const Canvas canvas = drawn(h.state);
    return h.state.home.home_error
               ? inked(canvas, 640 - 240 + 150, 360 + 15, 300, 18, palette::SECONDARY_TEXT)
               : inked(canvas, 0, 360 + 35, 1280, 18, palette::SECONDARY_TEXT);
  };
  EXPECT_FALSE(names_b(front));
  EXPECT_TRUE(names_b(history));
  EXPECT_TRUE(names_b(nothing_found));
  EXPECT_TRUE(names_b(failed));
  // The sort chip's label, highlight text in the header at x 487.
  EXPECT_TRUE(inked(drawn(front.state), 477, 14, 150, 24, palette::HIGHLIGHT_TEXT));
  EXPECT_FALSE(inked(drawn(history.state), 477, 14, 150, 24, palette::HIGHLIGHT_TEXT));
  EXPECT_FALSE(inked(drawn(history.state), 477, 14, 150, 24, palette::SEPARATOR));
}

TEST(Search, AFailureIsRetriedWithA) {
  Harness h;
  h.search("r");
  h.answer(SearchLoaded{std::unexpected(std::string("Network error: exit code Some(28)")), "r"});
  EXPECT_EQ(h.state.home.home_error, "Network error: exit code Some(28)");
  const std::size_t asked = h.jobs.requests.size();
  h.press(Button::A);
  ASSERT_EQ(h.jobs.requests.size(), asked + 1);
  EXPECT_EQ(h.jobs.requests.back(), JobRequest(job::Search{"r"}));
  EXPECT_TRUE(h.state.home.home_loading);
}

}  // namespace
}  // namespace zentomi
