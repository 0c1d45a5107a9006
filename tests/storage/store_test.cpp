#include "storage/store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <memory>
#include <thread>
#include <utility>

#include "faulty_file_system.hpp"
#include "storage/store_bounds.hpp"
#include "storage/store_file.hpp"
#include "storage/store_json.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;
using testing::read_file;
using testing::write_file;

const system_clock::time_point FIXED_TIME = system_clock::from_time_t(1700000000);

MangaItem manga(const std::string& name) {
  return MangaItem{"Truyện " + name, "https://x/truyen/" + name, "https://x/" + name + ".jpg",
                   "Chương 1", "1K"};
}

class StoreTest : public ::testing::Test {
 protected:
  testing::TempDir temp;
  StorePaths paths{(temp / "sd/Apps/zentomi/data").string(), (temp / "fallback").string()};
  std::shared_ptr<testing::FaultyFileSystem> files = std::make_shared<testing::FaultyFileSystem>();
  Store store{paths, StoreSystem{files, [] { return FIXED_TIME; }}};

  fs::path history_file() const { return fs::path(paths.sd_data_dir) / "history.json"; }
  fs::path favorites_file() const { return fs::path(paths.sd_data_dir) / "favorites.json"; }
  // The names in the data directory, sorted.
  std::vector<std::string> directory_names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(paths.sd_data_dir)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(StoreTest, SdDirectoryIsCreatedWithItsParentsOnFirstAccess) {
  EXPECT_EQ(store.resolve_data_dir(), paths.sd_data_dir);
  EXPECT_TRUE(fs::is_directory(paths.sd_data_dir));
  EXPECT_TRUE(store.load_history().empty());
  EXPECT_TRUE(store.load_favorites().empty());
  EXPECT_TRUE(directory_names().empty()) << "reading creates no store file";
  EXPECT_FALSE(fs::exists(paths.fallback_data_dir));
}

TEST_F(StoreTest, FallsBackWhenTheSdDirectoryCannotBeMade) {
  write_file(temp / "sd", "a file where a directory should be");
  EXPECT_EQ(store.resolve_data_dir(), paths.fallback_data_dir);
  EXPECT_TRUE(fs::is_directory(paths.fallback_data_dir));
  store.save_favorites({manga("a")});
  EXPECT_EQ(read_file(fs::path(paths.fallback_data_dir) / "favorites.json"),
            render_favorites_json({manga("a")}));
  EXPECT_EQ(store.load_favorites(), FavoritesList{manga("a")});
}

TEST_F(StoreTest, AnSdEntryThatIsNotADirectoryIsStillChosen) {
  write_file(paths.sd_data_dir, "not a directory");
  EXPECT_EQ(store.resolve_data_dir(), paths.sd_data_dir);
  std::optional<MangaHistory> current;
  store.record_progress(manga("a"), "Chương 2", "https://x/c2", 4, 20, current, FIXED_TIME);
  ASSERT_TRUE(current) << "the record is kept even though the file cannot be written";
  EXPECT_EQ(current->last_page_idx, 4u);
  EXPECT_TRUE(store.load_history().empty());
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.toggle_favorite(manga("a")));
  // The failed save is logged with its reason; the files stay as they were.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] Store write failed: favorites.json: create " + paths.sd_data_dir +
                "/favorites.json.tmp: Not a directory (os error 20)\n"
                "[Favorites] Toggled Truyện a: added=true\n");
  EXPECT_FALSE(store.is_favorite(manga("a").url));
  EXPECT_EQ(read_file(paths.sd_data_dir), "not a directory");
  EXPECT_FALSE(fs::exists(paths.fallback_data_dir));
}

TEST_F(StoreTest, SavedFilesAreTheWrittenFormAndLoadBack) {
  const FavoritesList favorites{manga("một"), {"Tên \"trích\" \\ \t", "u", "", "", ""}};
  store.save_favorites(favorites);
  EXPECT_EQ(read_file(favorites_file()), render_favorites_json(favorites));
  EXPECT_EQ(store.load_favorites(), favorites);

  const HistoryMap history{{"u", {"u", "Đảo", "Chương 1", "c1", 1, 2, 3}},
                           {"v", {"v", "Hải", "Chương 9", "c9", 7, 8, 9}}};
  store.save_history(history);
  EXPECT_EQ(store.load_history(), history);
  EXPECT_EQ(parse_history_json(read_file(history_file())), history);
  EXPECT_EQ(directory_names(), (std::vector<std::string>{"favorites.json", "history.json"}))
      << "no temporary or previous version is left behind";
}

TEST_F(StoreTest, RecordProgressStoresOneEntryPerMangaWithTheClockTime) {
  std::optional<MangaHistory> current;
  const MangaItem item = manga("a");
  store.record_progress(item, "Chương 1", "https://x/c1", 3, 20, current, FIXED_TIME);
  store.record_progress(manga("b"), "Chương 7", "https://x/b7", 0, 5, current, FIXED_TIME);
  store.record_progress(item, "Chương 2", "https://x/c2", 9, 30, current,
                        FIXED_TIME + std::chrono::milliseconds(61'999));
  const MangaHistory expected{item.url, item.title, "Chương 2", "https://x/c2", 9, 30, 1700000061};
  EXPECT_EQ(current, expected);
  const HistoryMap history = store.load_history();
  EXPECT_EQ(history.size(), 2u);
  EXPECT_EQ(history.at(item.url), expected);
  EXPECT_EQ(store.get_history_entry(item.url), expected);
  EXPECT_EQ(store.get_history_entry(item.url + "/"), std::nullopt);
  EXPECT_EQ(store.get_history_entry("HTTPS://X/TRUYEN/A"), std::nullopt);
}

TEST_F(StoreTest, RecordProgressWithoutItemOrChapterUrlTouchesNothing) {
  const MangaHistory before{"u", "t", "c", "cu", 1, 2, 3};
  std::optional<MangaHistory> current = before;
  store.record_progress(manga("a"), "Chương 1", "", 3, 20, current, FIXED_TIME);
  store.record_progress(std::nullopt, "Chương 1", "https://x/c1", 3, 20, current, FIXED_TIME);
  EXPECT_EQ(current, before);
  EXPECT_TRUE(files->steps.empty());
  EXPECT_FALSE(fs::exists(history_file()));
}

TEST_F(StoreTest, ClockBeforeTheEpochRecordsZero) {
  std::optional<MangaHistory> current;
  store.record_progress(manga("a"), "c", "cu", 0, 1, current,
                        system_clock::from_time_t(0) - std::chrono::hours(1));
  ASSERT_TRUE(current);
  EXPECT_EQ(current->timestamp, 0u);
}

TEST_F(StoreTest, ToggleAddsFirstRemovesAndLogs) {
  store.save_favorites({manga("old1"), manga("old2")});
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.toggle_favorite(manga("new")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Favorites] Toggled Truyện new: added=true\n");
  EXPECT_EQ(store.load_favorites(), (FavoritesList{manga("new"), manga("old1"), manga("old2")}));
  EXPECT_TRUE(store.is_favorite(manga("new").url));

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(store.toggle_favorite(manga("old1")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Favorites] Toggled Truyện old1: added=false\n");
  EXPECT_EQ(store.load_favorites(), (FavoritesList{manga("new"), manga("old2")}));
  EXPECT_FALSE(store.is_favorite(manga("old1").url));

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(store.toggle_favorite(std::nullopt));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(StoreTest, ToggleRemovesOnlyTheFirstOfDuplicates) {
  MangaItem renamed = manga("a");
  renamed.title = "Tên khác";
  store.save_favorites({manga("b"), manga("a"), manga("c"), renamed});
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(store.toggle_favorite(manga("a")));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store.load_favorites(), (FavoritesList{manga("b"), manga("c"), renamed}));
  EXPECT_TRUE(store.is_favorite(manga("a").url));
  EXPECT_FALSE(store.is_favorite(manga("a").url + "/"));
}

TEST_F(StoreTest, UnreadableStoreIsKeptAsACorruptCopy) {
  const std::string damaged = "[{\"title\": \"Đã lưu\", \"url\": \"u\"";  // cut short
  write_file(favorites_file(), damaged);
  EXPECT_TRUE(store.load_favorites().empty());
  EXPECT_FALSE(store.is_favorite("u"));
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.toggle_favorite(manga("a")));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store.load_favorites(), FavoritesList{manga("a")});
  EXPECT_EQ(read_file(favorites_file()), render_favorites_json({manga("a")}));
  EXPECT_EQ(read_file(favorites_file().string() + ".corrupt-1700000000"), damaged);

  // A second damaged file in the same second gets a name of its own.
  write_file(favorites_file(), "garbage");
  store.save_favorites({});
  EXPECT_EQ(read_file(favorites_file().string() + ".corrupt-1700000000"), damaged);
  EXPECT_EQ(read_file(favorites_file().string() + ".corrupt-1700000000-2"), "garbage");
  EXPECT_EQ(read_file(favorites_file()), "[]");
}

TEST_F(StoreTest, AStoreFileTooLargeToBeOursIsSetAsideUnread) {
  // Valid JSON, a favourites list with one title, padded past the bound with blanks.
  const std::string one = render_favorites_json({manga("a")});
  std::string padded = one.substr(0, one.size() - 1);
  padded.append(MAX_STORE_FILE_BYTES, ' ');
  padded += ']';
  write_file(favorites_file(), padded);
  EXPECT_TRUE(store.load_favorites().empty());
  EXPECT_FALSE(store.is_favorite(manga("a").url));
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(store.toggle_favorite(manga("b")));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store.load_favorites(), FavoritesList{manga("b")});
  EXPECT_EQ(std::filesystem::file_size(favorites_file().string() + ".corrupt-1700000000"),
            padded.size())
      << "the original is kept whole";
}

TEST_F(StoreTest, TheLargestStoreThatCanBeWrittenReadsBack) {
  // Every text as long as anything could make it, of the characters that grow most when written.
  const std::string hostile(3 * MAX_STORED_TEXT_BYTES, '\x01');
  HistoryMap history;
  FavoritesList favorites;
  for (std::uint64_t i = 0; i < MAX_HISTORY_TITLES + 10; ++i) {
    const std::string url = std::to_string(i) + hostile;
    history.emplace(url, MangaHistory{url, hostile, hostile, hostile, ~i, ~i, 1000 + i});
    favorites.push_back({hostile, url, hostile, hostile, hostile});
  }
  store.save_history(history);
  store.save_favorites(favorites);
  for (const fs::path& file : {history_file(), favorites_file()}) {
    EXPECT_LE(fs::file_size(file), MAX_STORE_FILE_BYTES) << file;
    EXPECT_GT(fs::file_size(file), MAX_STORE_FILE_BYTES - MAX_STORED_TEXT_BYTES * 64) << file;
  }
  Store reader(paths);
  const HistoryMap read_history = reader.load_history();
  EXPECT_EQ(read_history, bound_history(history, MAX_STORE_FILE_BYTES));
  EXPECT_TRUE(
      read_history.contains(cap_stored_text(std::to_string(MAX_HISTORY_TITLES + 9) + hostile)))
      << "the most recently read title stays";
  const FavoritesList read_favorites = reader.load_favorites();
  EXPECT_EQ(read_favorites, bound_favorites(favorites, MAX_STORE_FILE_BYTES));
  ASSERT_FALSE(read_favorites.empty());
  EXPECT_EQ(read_favorites.front().url, cap_stored_text("0" + hostile));

  // Saved again over what was written: nothing is set aside.
  reader.save_history(read_history);
  EXPECT_EQ(directory_names(), (std::vector<std::string>{"favorites.json", "history.json"}));
}

TEST_F(StoreTest, AHugeTitleIsCutAndTheHistoryStays) {
  // A front-page title of 3 MB of control characters, read page after page.
  MangaItem item = manga("a");
  item.title.assign(3'000'000, '\x07');
  std::optional<MangaHistory> current;
  store.record_progress(manga("b"), "Chương 1", "https://x/b1", 0, 9, current, FIXED_TIME);
  for (std::uint64_t page = 0; page < 6; ++page) {
    store.record_progress(item, "Chương 1", "https://x/c1", page, 9, current,
                          FIXED_TIME + std::chrono::seconds(1 + page));
  }
  ASSERT_TRUE(current);
  EXPECT_EQ(current->manga_title, std::string(MAX_STORED_TEXT_BYTES, '\x07'));
  Store reader(paths);
  const HistoryMap history = reader.load_history();
  EXPECT_EQ(history.size(), 2u);
  EXPECT_EQ(reader.get_history_entry(item.url), current);
  EXPECT_EQ(directory_names(), (std::vector<std::string>{"history-covers.json", "history.json"}));
}

// The history shows a title's cover after the title has left the listing: the cover it was read
// with is kept beside the history, newest read first and bounded like it, and a page turn of the
// title read last writes nothing.
TEST_F(StoreTest, TheCoverOfEachTitleReadIsKeptNewestFirstAndBounded) {
  fs::create_directories(paths.sd_data_dir);
  const fs::path covers_file = fs::path(paths.sd_data_dir) / "history-covers.json";
  FavoritesList full;
  for (std::size_t i = 0; i < MAX_HISTORY_TITLES; ++i)
    full.push_back({"Truyện " + std::to_string(i), "https://x/truyen/" + std::to_string(i),
                    "https://x/" + std::to_string(i) + ".jpg", "", ""});
  write_file(covers_file, render_favorites_json(full));

  std::optional<MangaHistory> current;
  const auto read_page = [&](const MangaItem& item, std::uint64_t page) {
    store.record_progress(item, "Chương 1", item.url + "/c1", page, 9, current, FIXED_TIME);
  };
  read_page(manga("new"), 0);
  FavoritesList kept = Store(paths).history_covers();
  ASSERT_EQ(kept.size(), MAX_HISTORY_TITLES);
  EXPECT_EQ(kept.front(),
            (MangaItem{manga("new").title, manga("new").url, manga("new").thumb_url, "", ""}));
  EXPECT_EQ(kept.back().url, full[MAX_HISTORY_TITLES - 2].url) << "the oldest read drops out";

  fs::remove(covers_file);
  read_page(manga("new"), 1);
  EXPECT_FALSE(fs::exists(covers_file)) << "an unchanged cover is not written again";

  MangaItem moved = manga("7");  // read before with https://x/7.jpg
  moved.thumb_url = "https://cdn/7-new.jpg";
  read_page(moved, 0);
  kept = Store(paths).history_covers();
  ASSERT_EQ(kept.size(), MAX_HISTORY_TITLES);
  EXPECT_EQ(kept.front().thumb_url, "https://cdn/7-new.jpg") << "a changed cover is kept, first";
  EXPECT_EQ(std::count_if(kept.begin(), kept.end(),
                          [](const MangaItem& item) { return item.url == "https://x/truyen/7"; }),
            1);
  EXPECT_EQ(kept[1].url, manga("new").url);
  moved.thumb_url = "https://cdn/7-newest.jpg";
  read_page(moved, 1);
  EXPECT_EQ(Store(paths).history_covers().front().thumb_url, moved.thumb_url)
      << "the title read last changes its cover too";
}

TEST_F(StoreTest, AtMostTwoSetAsideCopiesAreKept) {
  fs::create_directories(paths.sd_data_dir);
  // A clock that jumps back (a console without a clock battery) must not cost the newest copy.
  const int seconds[] = {50, 10, 30, 20, 40};
  for (const int second : seconds) {
    write_file(history_file(), "damaged " + std::to_string(second));
    Store later(paths,
                StoreSystem{files, [second] { return FIXED_TIME + std::chrono::seconds(second); }});
    later.save_history({});
  }
  EXPECT_EQ(directory_names(),
            (std::vector<std::string>{"history.json", "history.json.corrupt-1700000040",
                                      "history.json.corrupt-1700000050"}));
  EXPECT_EQ(read_file(history_file().string() + ".corrupt-1700000040"), "damaged 40");
}

TEST_F(StoreTest, DamagedHistoryIsReplacedByTheChangeAndKept) {
  const std::string damaged = "{\"u\": {\"manga_url\": \"u\", \"last_page_idx\": -1}}";
  write_file(history_file(), damaged);
  std::optional<MangaHistory> current;
  store.record_progress(manga("a"), "c", "cu", 1, 2, current, FIXED_TIME + std::chrono::seconds(5));
  EXPECT_EQ(store.load_history(), (HistoryMap{{manga("a").url, *current}}));
  EXPECT_EQ(read_file(history_file().string() + ".corrupt-1700000005"), damaged);
}

TEST_F(StoreTest, KeptPreviousVersionIsLoadedWhenTheFileIsMissingOrDamaged) {
  const HistoryMap previous{{"u", {"u", "t", "c", "cu", 4, 5, 6}}};
  fs::create_directories(paths.sd_data_dir);
  write_file(history_file().string() + ".bak", render_history_json(previous));
  EXPECT_EQ(store.load_history(), previous) << "the file itself is missing";
  write_file(history_file(), "{\"u\": ");
  EXPECT_EQ(store.load_history(), previous) << "the file itself is damaged";

  std::optional<MangaHistory> current;
  store.record_progress(manga("a"), "c", "cu", 1, 2, current, FIXED_TIME);
  const HistoryMap history = store.load_history();
  EXPECT_EQ(history.size(), 2u);
  EXPECT_TRUE(history.contains("u"));
  EXPECT_EQ(directory_names(), (std::vector<std::string>{"history-covers.json", "history.json",
                                                         "history.json.corrupt-1700000000"}));
}

TEST_F(StoreTest, IsFavoriteDoesNotReparseAnUnchangedFile) {
  store.save_favorites({manga("a"), manga("b")});
  const std::size_t reads_before = files->reads;
  for (int frame = 0; frame < 100; ++frame) {
    EXPECT_TRUE(store.is_favorite(manga("a").url));
    EXPECT_FALSE(store.is_favorite(manga("z").url));
  }
  EXPECT_LE(files->reads - reads_before, 1u);
}

TEST_F(StoreTest, IsFavoriteSeesChangesOnTheNextCall) {
  store.save_favorites({manga("a")});
  EXPECT_TRUE(store.is_favorite(manga("a").url));
  EXPECT_FALSE(store.is_favorite(manga("b").url));

  // Changed from outside, growing the file.
  write_file(favorites_file(), render_favorites_json({manga("a"), manga("b")}));
  EXPECT_TRUE(store.is_favorite(manga("b").url));

  // Replaced from outside by a file of exactly the same size.
  const std::string same_size = render_favorites_json({manga("c"), manga("b")});
  ASSERT_EQ(same_size.size(), fs::file_size(favorites_file()));
  write_file(temp / "replacement", same_size);
  fs::rename(temp / "replacement", favorites_file());
  EXPECT_FALSE(store.is_favorite(manga("a").url));
  EXPECT_TRUE(store.is_favorite(manga("c").url));

  // Our own change through another Store object.
  Store other(paths);
  ::testing::internal::CaptureStderr();
  other.toggle_favorite(manga("c"));
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(store.is_favorite(manga("c").url));

  fs::remove(favorites_file());
  EXPECT_FALSE(store.is_favorite(manga("b").url));
  write_file(favorites_file(), "not json");
  EXPECT_FALSE(store.is_favorite(manga("b").url));
}

TEST_F(StoreTest, IsFavoriteFollowsTheDataDirectory) {
  store.save_favorites({manga("a")});
  EXPECT_TRUE(store.is_favorite(manga("a").url));
  // The SD card directory disappears and cannot come back: the fallback's (empty) store counts.
  fs::remove_all(temp / "sd");
  write_file(temp / "sd", "");
  EXPECT_FALSE(store.is_favorite(manga("a").url));
}

TEST_F(StoreTest, AFifoInPlaceOfAStoreReadsAsEmptyWithoutWaiting) {
  store.save_favorites({manga("a")});
  fs::remove(favorites_file());
  // Nobody ever writes to these FIFOs: a blocking open would freeze the main thread for good.
  ASSERT_EQ(::mkfifo(favorites_file().c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(history_file().c_str(), 0600), 0);
  auto done = std::make_shared<std::promise<std::pair<bool, std::size_t>>>();
  auto answer = done->get_future();
  std::thread([this, done] {
    done->set_value({store.is_favorite(manga("a").url), store.load_history().size()});
  }).detach();
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), std::make_pair(false, std::size_t{0}));
}

}  // namespace
}  // namespace zentomi
