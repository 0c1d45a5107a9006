// Titles stored before the site moved to another domain stay the same titles afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "model/build_config.hpp"
#include "model/site_address.hpp"
#include "model/site_origin.hpp"
#include "storage/store.hpp"
#include "storage/store_json.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;

const std::string OLD = "https://nettruyen-cu.test";
const std::string NEW = "https://nettruyen-moi.test";

TEST(SiteAddress, TitlePathsCompareAcrossOriginsAndNothingElseDoes) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  for (const Case& c : {
           Case{"https://a.test/truyen-tranh/t", "https://b.test/truyen-tranh/t", true},
           Case{"https://a.test/truyen-tranh/t/chuong-2", "http://b.test:8/truyen-tranh/t/chuong-2",
                true},
           Case{"https://a.test/truyen-tranh/t", "https://a.test/truyen-tranh/t/", false},
           Case{"https://a.test/truyen-tranh/t", "https://a.test/truyen-tranh/T", false},
           Case{"https://a.test/truyen/t", "https://b.test/truyen/t", false},
           Case{"https://a.test/truyen/t", "https://a.test/truyen/t", true},
           Case{"/truyen-tranh/t", "https://a.test/truyen-tranh/t", false},
           Case{"local:Manga/t", "local:Manga/t", true},
           Case{"ftp://a.test/truyen-tranh/t", "ftp://b.test/truyen-tranh/t", false},
           Case{"https:///truyen-tranh/t", "https://b.test/truyen-tranh/t", false},
       }) {
    EXPECT_EQ(same_title(c.a, c.b), c.same) << c.a << " " << c.b;
    EXPECT_EQ(title_key(c.a) == title_key(c.b), c.same) << c.a << " " << c.b;
  }
  EXPECT_EQ(at_origin("https://a.test/truyen-tranh/t?x=1", NEW), NEW + "/truyen-tranh/t?x=1");
  EXPECT_EQ(at_origin("https://a.test/tim-truyen?keyword=t", NEW),
            "https://a.test/tim-truyen?keyword=t");
  EXPECT_EQ(at_origin("local:Manga/t", NEW), "local:Manga/t");
}

// Written directly, and through the writer thread (which applies single history entries itself).
class SiteMove : public ::testing::TestWithParam<bool> {
 protected:
  SiteMove() {
    // What an older build left: a favourite and a reading position under the old origin.
    testing::write_file(
        dir_ / "favorites.json",
        render_favorites_json({old_item_, MangaItem{"Khác", "local:Manga/khac", "", "", ""}}));
    testing::write_file(
        dir_ / "history.json",
        render_history_json({{old_item_.url,
                              {old_item_.url, old_item_.title, "Chapter 7",
                               OLD + "/truyen-tranh/kiem/chuong-7", 4, 20, 1700000000}}}));
    set_site_origin(NEW);
  }
  ~SiteMove() override { set_site_origin(SITE_ORIGIN); }

  testing::TempDir temp_;
  fs::path dir_ = temp_ / "data";
  Store store_{StorePaths{dir_.string(), (temp_ / "fallback").string()},
               StoreSystem{.background_writes = GetParam()}};
  const MangaItem old_item_{"Kiếm", OLD + "/truyen-tranh/kiem", "https://cdn.test/kiem.jpg", "",
                            ""};
  // The same title as the new site's listing gives it.
  const MangaItem new_item_{"Kiếm", NEW + "/truyen-tranh/kiem", "https://cdn.test/kiem.jpg", "",
                            ""};
};

TEST_P(SiteMove, ContinueReadingAndTheFavouriteMarkerFindTheOldEntries) {
  const auto entry = store_.get_history_entry(new_item_.url);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->last_chapter_url, OLD + "/truyen-tranh/kiem/chuong-7");
  EXPECT_EQ(entry->last_page_idx, 4u);
  EXPECT_TRUE(store_.is_favorite(new_item_.url));
  EXPECT_TRUE(store_.is_favorite(old_item_.url));
  EXPECT_TRUE(store_.is_favorite("local:Manga/khac"));
  EXPECT_FALSE(store_.is_favorite(NEW + "/truyen-tranh/khac"));
  // The files keep their form until something is written.
  EXPECT_TRUE(testing::read_file(dir_ / "favorites.json").find(OLD) != std::string::npos);
}

TEST_P(SiteMove, ProgressIsWrittenOnceUnderTheCurrentOrigin) {
  std::optional<MangaHistory> current;
  // Resuming the stored chapter, as continue-reading does, from the title opened on the new site.
  store_.record_progress(new_item_, "Chapter 7", OLD + "/truyen-tranh/kiem/chuong-7", 5, 20,
                         current, system_clock::from_time_t(1700000100));
  const HistoryMap history = store_.load_history();
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.begin()->first, NEW + "/truyen-tranh/kiem");
  EXPECT_EQ(history.begin()->second.manga_url, NEW + "/truyen-tranh/kiem");
  EXPECT_EQ(history.begin()->second.last_chapter_url, NEW + "/truyen-tranh/kiem/chuong-7");
  EXPECT_EQ(current, history.begin()->second);
  // Opened from the old favourite the same happens.
  store_.record_progress(old_item_, "Chapter 8", NEW + "/truyen-tranh/kiem/chuong-8", 0, 9, current,
                         system_clock::from_time_t(1700000200));
  ASSERT_EQ(store_.load_history().size(), 1u);
  EXPECT_EQ(store_.get_history_entry(old_item_.url)->last_chapter_title, "Chapter 8");
  ASSERT_TRUE(store_.wait_for_saves(std::chrono::seconds(5)));
  const HistoryMap written = Store(StorePaths{dir_.string(), ""}).load_history();
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written.begin()->second, current);
}

TEST_P(SiteMove, TogglingRemovesTheOldFavouriteAndAddsUnderTheCurrentOrigin) {
  EXPECT_FALSE(store_.toggle_favorite(new_item_));
  EXPECT_FALSE(store_.is_favorite(old_item_.url));
  EXPECT_EQ(store_.load_favorites().size(), 1u);
  EXPECT_TRUE(store_.toggle_favorite(old_item_));
  const FavoritesList favorites = store_.load_favorites();
  ASSERT_EQ(favorites.size(), 2u);
  EXPECT_EQ(favorites.front().url, NEW + "/truyen-tranh/kiem");
  EXPECT_EQ(favorites.back().url, "local:Manga/khac");
  // The same title from the other origin is the same favourite, never a second one.
  EXPECT_FALSE(store_.toggle_favorite(new_item_));
  EXPECT_EQ(store_.load_favorites().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Saves, SiteMove, ::testing::Values(false, true),
                         [](const auto& saves) { return saves.param ? "Writer" : "Direct"; });

}  // namespace
}  // namespace zentomi
