// Favourites brought up to date by the results that name them, with no request of their own.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/app_state.hpp"
#include "model/site_address.hpp"
#include "screens/dispatch.hpp"
#include "support/chapter_lists.hpp"
#include "support/model_printers.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using Items = std::vector<MangaItem>;
const auto NOW = std::chrono::system_clock::from_time_t(1700000000);
const std::string SITE = "https://site.test/truyen-tranh/";

MangaItem title(const std::string& slug, const std::string& chapter) {
  return {"Title " + slug, SITE + slug, "", chapter, "1K"};
}

struct Harness {
  Harness() {
    store.save_favorites({title("a", "Chapter 300"), title("b", "Chapter 7")});
    state.home.home_loading = false;
  }
  void apply(WorkerResult result) { apply_worker_result(state, std::move(result), context); }
  std::vector<std::string> stored_chapters() {
    std::vector<std::string> chapters;
    for (const MangaItem& item : store.load_favorites())
      chapters.push_back(item.latest_chapter);
    return chapters;
  }

  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store, [] { return NOW; }};
  AppState state = make_initial_state(1280, 720);
};

TEST(FreshForFree, TheFrontPageAndASearchRefreshFavouritesWithoutAFetch) {
  Harness h;
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
  Harness h;
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
