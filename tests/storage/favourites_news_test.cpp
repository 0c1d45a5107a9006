#include "model/favourites_news.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "faulty_file_system.hpp"
#include "model/site_address.hpp"
#include "storage/favourites_refresh.hpp"
#include "storage/store.hpp"
#include "support/chapter_lists.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using std::chrono::system_clock;
const system_clock::time_point NOW = system_clock::from_time_t(1700000000);

const std::string SITE = "https://site.test/truyen-tranh/";

TEST(NewChapterCount, CountsOnlyWhatTheListCanVouchFor) {
  const auto list = testing::chapters_down_from(SITE + "t", 302, 290);
  struct Case {
    const char* what;
    std::string last_read;               // when the news were made
    std::optional<std::string> reading;  // what the history names now
    std::optional<std::size_t> count;
  };
  const std::string moved = "https://new-origin.test/truyen-tranh/t/chuong-";
  const Case cases[] = {
      {"read in the middle", SITE + "t/chuong-300", std::nullopt, 2},
      {"read under an origin the site has left", moved + "299", std::nullopt, 3},
      {"read the newest", SITE + "t/chuong-302", std::nullopt, 0},
      {"never read", "", std::nullopt, std::nullopt},
      {"renamed or removed", SITE + "t/chuong-300-5", std::nullopt, std::nullopt},
      {"read on since", SITE + "t/chuong-295", SITE + "t/chuong-301", 1},
      {"read the newest since", SITE + "t/chuong-300", moved + "302", 0},
      {"went back past the news", SITE + "t/chuong-300", SITE + "t/chuong-291", std::nullopt},
  };
  for (const Case& c : cases) {
    const FavouriteNews news = news_from_chapters(list, c.last_read);
    EXPECT_EQ(news.newest, "Chapter 302") << c.what;
    const auto reading =
        c.reading ? std::optional<std::string_view>(*c.reading) : std::optional<std::string_view>();
    EXPECT_EQ(new_chapter_count(news, reading), c.count) << c.what;
  }
  EXPECT_EQ(news_from_chapters({}, SITE + "t/chuong-1"), FavouriteNews{});
}

TEST(RefreshFromListing, ChangesOnlyTheChapterLinesOfListedTitles) {
  std::vector<MangaItem> favourites = {
      {"A", SITE + "a", "cover-a", "Chapter 300", "1K"},
      {"B", SITE + "b", "cover-b", "Chapter 7", "2K"},
      {"C", "https://elsewhere.test/c", "cover-c", "Chapter 1", ""},
  };
  const std::vector<MangaItem> listed = {
      {"A renamed", "https://moved.test/truyen-tranh/a", "other", "Chapter 302", "9K"},
      {"B", SITE + "b", "cover-b", "Chapter 7", "2K"},
      {"C", "https://elsewhere.test/c", "", "", ""},  // no chapter line: nothing to learn
  };
  std::vector<MangaItem> expected = favourites;
  expected[0].latest_chapter = "Chapter 302";
  EXPECT_TRUE(refresh_from_listing(favourites, listed));
  EXPECT_EQ(favourites, expected);
  EXPECT_FALSE(refresh_from_listing(favourites, listed)) << "up to date: nothing to save";
  EXPECT_FALSE(set_latest_chapter(favourites, SITE + "b", ""));
  EXPECT_TRUE(set_latest_chapter(favourites, SITE + "b", "Chapter 8"));
  EXPECT_EQ(favourites[1].latest_chapter, "Chapter 8");
}

struct StoredFavourites : ::testing::Test {
  testing::TempDir temp;
  StorePaths paths{(temp / "sd").string(), (temp / "fallback").string()};
  std::shared_ptr<testing::FaultyFileSystem> files = std::make_shared<testing::FaultyFileSystem>();
  Store store{paths, StoreSystem{files, [] { return NOW; }}};
};

TEST_F(StoredFavourites, RefreshKeepsTheFileFormAndOrderAndSavesOnlyAChange) {
  // Written by hand as an older version would have; the unknown member goes at the next save.
  const std::string before =
      "[\n  {\n    \"title\": \"Hành Trình\",\n    \"url\": \"" + SITE +
      "a\",\n    \"thumb_url\": \"x\",\n    \"latest_chapter\": \"Chapter 300\",\n    \"views\": "
      "\"1K\"\n  },\n  {\n    \"title\": \"B\",\n    \"url\": \"" +
      SITE +
      "b\",\n    \"thumb_url\": \"\",\n    \"latest_chapter\": \"Chapter 7\",\n    \"views\": "
      "\"\"\n  }\n]";
  testing::write_file(temp / "sd/favorites.json", before);
  const std::vector<MangaItem> listed = {{"A", SITE + "a", "", "Chapter 302", ""}};
  const auto refresh = [&] {
    return refresh_stored_favourites(
        store, [&](FavoritesList& list) { return refresh_from_listing(list, listed); });
  };
  ASSERT_TRUE(refresh());
  std::string after = before;
  after.replace(after.find("Chapter 300"), 11, "Chapter 302");
  EXPECT_EQ(testing::read_file(temp / "sd/favorites.json"), after);
  files->steps.clear();
  EXPECT_FALSE(refresh());
  EXPECT_TRUE(files->steps.empty()) << "nothing changed, nothing written";
}

TEST(CheckTargets, NewestFavouriteFirstDueOnlyAtMostFifty) {
  FavoritesList favourites;
  for (int n = 0; n < 60; ++n)
    favourites.push_back({"T" + std::to_string(n), SITE + "t" + std::to_string(n), "", "", ""});
  favourites.insert(favourites.begin() + 2, favourites[0]);  // stored twice: refreshed once
  favourites.insert(favourites.begin() + 1, {"Local", "local:Manga/x", "", "", ""});
  FavouritesNews news;
  news.titles[title_key(SITE + "t1")].refreshed = NOW - std::chrono::minutes(59);  // fresh
  news.titles[title_key(SITE + "t2")].refreshed = NOW - std::chrono::minutes(60);  // due
  news.titles[title_key(SITE + "t3")].refreshed = NOW + std::chrono::minutes(5);   // clock set back
  HistoryMap history;
  history["https://old.test/truyen-tranh/t0"] = {"", "", "", SITE + "t0/chuong-1", 0, 0, 10};
  history[SITE + "t0"] = {"", "", "", SITE + "t0/chuong-2", 0, 0, 20};
  history[SITE + "t2"] = {"", "", "", SITE + "t2/chuong-9", 0, 0, 5};

  const std::vector<FavouriteTarget> targets = check_targets(favourites, history, news, NOW);
  ASSERT_EQ(targets.size(), MAX_CHECKED_FAVOURITES);
  EXPECT_EQ(targets[0], (FavouriteTarget{SITE + "t0", SITE + "t0/chuong-2"}));
  EXPECT_EQ(targets[1], (FavouriteTarget{SITE + "t2", SITE + "t2/chuong-9"}));
  EXPECT_EQ(targets[2], (FavouriteTarget{SITE + "t3", ""}));
  EXPECT_EQ(targets[3].url, SITE + "t4");
  EXPECT_EQ(targets.back().url, SITE + "t50");
}

}  // namespace
}  // namespace zentomi
