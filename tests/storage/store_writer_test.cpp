#include "storage/store_writer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "faulty_file_system.hpp"
#include "storage/store.hpp"
#include "storage/store_json.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

// The real file system whose flushes wait at a gate the test opens, like a slow SD card, and
// which counts the store files it creates or, given a create_failure, throws it when asked to
// create one, as a broken driver might.
class GatedFileSystem final : public FileSystem {
 public:
  void open_gate() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  std::atomic<int> files_created{0};
  std::optional<std::string> create_failure;
  // Files read by the thread that made this file system (the test's, standing for the main one).
  std::atomic<int> reads_by_maker{0};
  std::atomic<bool> throw_anything_once{false};

  std::optional<FileIdentity> status(const std::string& path) override {
    return real_.status(path);
  }
  std::expected<void, std::string> create_directories(const std::string& path) override {
    return real_.create_directories(path);
  }
  std::expected<std::string, std::string> read_file(const std::string& path) override {
    if (std::this_thread::get_id() == maker_) ++reads_by_maker;
    return real_.read_file(path);
  }
  std::expected<void, std::string> read_pieces(
      const std::string& path, const std::function<void(std::string_view)>& take) override {
    return real_.read_pieces(path, take);
  }
  std::expected<int, std::string> create_file(const std::string& path) override {
    if (create_failure) throw std::runtime_error(*create_failure);
    if (throw_anything_once.exchange(false)) throw 42;
    ++files_created;
    return real_.create_file(path);
  }
  std::expected<void, std::string> write(int file, std::string_view bytes) override {
    return real_.write(file, bytes);
  }
  std::expected<void, std::string> flush(int file) override {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
    return real_.flush(file);
  }
  std::expected<void, std::string> close(int file) override { return real_.close(file); }
  std::expected<void, std::string> rename(const std::string& from, const std::string& to) override {
    return real_.rename(from, to);
  }
  std::expected<void, std::string> remove(const std::string& path) override {
    return real_.remove(path);
  }
  std::expected<void, std::string> flush_directory(const std::string& path) override {
    return real_.flush_directory(path);
  }
  std::expected<std::vector<std::string>, std::string> list_names(
      const std::string& directory) override {
    return real_.list_names(directory);
  }
  std::expected<EntryKind, std::string> entry_kind(const std::string& path) override {
    return real_.entry_kind(path);
  }
  std::expected<void, std::string> remove_tree(const std::string& path) override {
    return real_.remove_tree(path);
  }
  std::expected<void, std::string> flush_file_system(const std::string& path) override {
    return real_.flush_file_system(path);
  }

 private:
  PosixFileSystem real_;
  const std::thread::id maker_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

struct SlowCard {
  SlowCard() : files(std::make_shared<GatedFileSystem>()) {}
  ~SlowCard() { files->open_gate(); }  // so the writer can finish before the store ends

  std::shared_ptr<GatedFileSystem> files;
  testing::TempDir dir;
  StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  Store store{paths, StoreSystem{.files = files, .background_writes = true}};
  std::optional<MangaItem> item = MangaItem{"Một", "https://site/t/1", "", "", ""};
  std::optional<MangaHistory> current;

  // Bounded, so a save that waits for the card fails the test instead of hanging it.
  bool record_page_without_waiting(std::uint64_t page) {
    auto saving = std::async(std::launch::async, [&] {
      store.record_progress(item, "Chapter 1", "https://site/t/1/c1", page, 20, current,
                            std::chrono::system_clock::now());
    });
    return saving.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  }
};

TEST(StoreWriter, ASaveNeverWaitsForTheCardAndIsReadBackAtOnce) {
  SlowCard card;
  for (std::uint64_t page = 0; page < 10; ++page) {
    ASSERT_TRUE(card.record_page_without_waiting(page)) << "page " << page;
  }
  EXPECT_EQ(card.store.get_history_entry("https://site/t/1")->last_page_idx, 9u);
  EXPECT_EQ(card.current->last_page_idx, 9u);

  ASSERT_TRUE(card.store.toggle_favorite(card.item));
  EXPECT_TRUE(card.store.is_favorite("https://site/t/1"));
  EXPECT_EQ(card.store.load_favorites().size(), 1u);

  EXPECT_FALSE(card.store.wait_for_saves(std::chrono::milliseconds(20)));
  card.files->open_gate();
  ASSERT_TRUE(card.store.wait_for_saves(std::chrono::seconds(5)));
  // The first version was being written when the others came; of those only the newest was.
  EXPECT_LE(card.files->files_created.load(), 3);
  const std::string saved = testing::read_file(card.dir / "sd" / "history.json");
  EXPECT_NE(saved.find("\"last_page_idx\": 9"), std::string::npos) << saved;
  EXPECT_TRUE(card.store.is_favorite("https://site/t/1"));
}

// A page turn hands the writer the one changed entry: the main thread neither reads nor renders
// the history, however long it is, and the file says what the old whole-file saves said.
TEST(StoreWriter, APageTurnHandsTheWriterOneEntryAndTheFileHasEveryChange) {
  testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  HistoryMap expected;
  for (int i = 0; i < 300; ++i) {
    const std::string url = "https://site/t/" + std::to_string(i);
    expected[url] = MangaHistory{url, "Truyện " + std::to_string(i), "C", url + "/c", 1, 9, 100};
  }
  Store(paths).save_history(expected);
  auto files = std::make_shared<GatedFileSystem>();
  files->open_gate();
  Store store(paths, StoreSystem{.files = files, .background_writes = true});
  std::optional<MangaHistory> current;
  for (std::uint64_t turn = 0; turn < 12; ++turn) {
    const std::string url = "https://site/t/" + std::to_string(turn % 4 * 50);
    store.record_progress(
        MangaItem{"Đọc " + url, url, "", "", ""}, "Chương 2", url + "/c2", turn, 20, current,
        std::chrono::system_clock::time_point(
            std::chrono::seconds(1'700'000'000 + static_cast<std::int64_t>(turn))));
    expected[url] = *current;
    ASSERT_TRUE(store.wait_for_saves(std::chrono::seconds(5)));
  }
  EXPECT_EQ(files->reads_by_maker.load(), 0) << "only the writer reads the history";
  EXPECT_EQ(store.get_history_entry("https://site/t/150"), current);
  EXPECT_EQ(store.load_history(), expected);
  EXPECT_EQ(Store(paths).load_history(), expected);

  // One title: the same bytes as a save of the whole history.
  testing::TempDir other;
  const StorePaths one{(other / "sd").string(), (other / "local").string()};
  {
    Store writer(one, StoreSystem{.background_writes = true});
    writer.record_progress(MangaItem{"Một \"x\"\n", "https://site/t/1", "", "", ""}, "C\t",
                           "https://site/c", 4, 5, current,
                           std::chrono::system_clock::time_point(std::chrono::seconds(7)));
  }
  EXPECT_EQ(testing::read_file(other / "sd" / "history.json"),
            render_history_json({{"https://site/t/1", *current}}));
}

TEST(StoreWriter, EndingTheStoreWritesWhatWasSubmitted) {
  testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  {
    Store store(paths, StoreSystem{.background_writes = true});
    std::optional<MangaHistory> current;
    store.record_progress(MangaItem{"T", "https://site/t", "", "", ""}, "C", "https://site/c", 4, 5,
                          current, std::chrono::system_clock::now());
  }
  EXPECT_EQ(Store(paths).get_history_entry("https://site/t")->last_page_idx, 4u);
}

// Even what is no std::exception leaves the thread writing the saves that follow.
TEST(StoreWriter, AWriteThatThrowsAnythingLeavesTheWriterWorking) {
  testing::TempDir dir;
  auto files = std::make_shared<GatedFileSystem>();
  files->open_gate();
  files->throw_anything_once = true;
  ::testing::internal::CaptureStderr();
  StoreWriter writer(files);
  const auto now = std::chrono::system_clock::now();
  writer.submit({dir.path().string(), "history.json", "[1]", nullptr, now});
  EXPECT_TRUE(writer.wait_until_idle(std::chrono::seconds(5)));
  writer.submit({dir.path().string(), "history.json", "[2]", nullptr, now});
  EXPECT_TRUE(writer.wait_until_idle(std::chrono::seconds(5)));
  EXPECT_EQ(testing::read_file(dir / "history.json"), "[2]");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] Store write failed: history.json: unknown error\n");
}

TEST(StoreWriter, AFailedWriteIsLoggedAsEveryLineIs) {
  testing::TempDir dir;
  ::testing::internal::CaptureStderr();
  {
    auto files = std::make_shared<GatedFileSystem>();
    // A message no log line may carry as it is.
    files->create_failure = "card gone\n[App] forged\x1b[2J\u0085Đã lưu";
    StoreWriter writer(files);
    writer.submit(
        {dir.path().string(), "history.json", "[]", nullptr, std::chrono::system_clock::now()});
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] Store write failed: history.json: card gone\\n[App] forged\\x1b[2J\\u0085Đã "
            "lưu\n");
}

// Ends the store on another thread; whether that took at most `limit`. The gate opens either
// way, so a store that does wait for the card still ends and the test fails instead of hanging.
bool ends_within(std::unique_ptr<Store>& store, GatedFileSystem& files,
                 std::chrono::milliseconds limit) {
  auto ending = std::async(std::launch::async, [&] { store.reset(); });
  const bool ended = ending.wait_for(limit) == std::future_status::ready;
  files.open_gate();
  ending.wait();
  return ended;
}

// The writer keeps the file system for as long as its thread runs.
void expect_writer_ends(std::weak_ptr<GatedFileSystem> files) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!files.expired() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(files.expired()) << "the writer thread never ended";
}

TEST(StoreWriter, AWedgedCardHoldsTheEndNoLongerThanTheWait) {
  testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  auto files = std::make_shared<GatedFileSystem>();
  const std::weak_ptr<GatedFileSystem> watched = files;
  auto store =
      std::make_unique<Store>(paths, StoreSystem{.files = files, .background_writes = true});
  std::optional<MangaHistory> current;
  store->record_progress(MangaItem{"T", "https://site/t", "", "", ""}, "C", "https://site/c", 4, 5,
                         current, std::chrono::system_clock::now());
  GatedFileSystem& gate = *files;
  files.reset();
  // The end's own wait of 2 s is the bound; the card never answers within it.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ends_within(store, gate, std::chrono::milliseconds(3500)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
  expect_writer_ends(watched);
  // The write went on after the end and still reached the card.
  EXPECT_EQ(Store(paths).get_history_entry("https://site/t")->last_page_idx, 4u);
}

TEST(StoreWriter, AfterAWaitRanOutTheEndDoesNotWaitAgain) {
  testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  auto files = std::make_shared<GatedFileSystem>();
  const std::weak_ptr<GatedFileSystem> watched = files;
  auto store =
      std::make_unique<Store>(paths, StoreSystem{.files = files, .background_writes = true});
  std::optional<MangaHistory> current;
  store->record_progress(MangaItem{"T", "https://site/t", "", "", ""}, "C", "https://site/c", 4, 5,
                         current, std::chrono::system_clock::now());
  // As the exit does: a bounded wait that runs out, then the end of the store.
  EXPECT_FALSE(store->wait_for_saves(std::chrono::milliseconds(50)));
  GatedFileSystem& gate = *files;
  files.reset();
  EXPECT_TRUE(ends_within(store, gate, std::chrono::milliseconds(500)));
  expect_writer_ends(watched);
}

std::string history_json_failures(const std::string& log) {
  std::string lines;
  std::size_t start = 0;
  while (start < log.size()) {
    const std::size_t end = log.find('\n', start);
    const std::string line = log.substr(start, end - start);
    if (line.find("history.json") != std::string::npos) lines += line + "\n";
    start = end == std::string::npos ? log.size() : end + 1;
  }
  return lines;
}

// Saves page after page, through the writer thread or without one, while the card fails.
void expect_each_failure_logged_once(bool background) {
  testing::TempDir dir;
  const StorePaths paths{(dir / "sd").string(), (dir / "local").string()};
  auto files = std::make_shared<testing::FaultyFileSystem>();
  Store store(paths, StoreSystem{.files = files, .background_writes = background});
  std::optional<MangaHistory> current;
  const MangaItem item{"T", "https://site/t", "", "", ""};
  std::uint64_t page = 0;
  const auto save = [&] {
    store.record_progress(item, "C", "https://site/c", page++, 50, current,
                          std::chrono::system_clock::now());
    ASSERT_TRUE(store.wait_for_saves(std::chrono::seconds(5)));
  };
  ::testing::internal::CaptureStderr();
  save();  // written
  // A card gone read-only: every save fails the same way.
  files->fail_at(files->steps.size() + 1, testing::FaultyFileSystem::Mode::FromStepOn);
  for (int i = 0; i < 5; ++i)
    save();
  // It comes back for one save, then fails again.
  files->fail_at(0, testing::FaultyFileSystem::Mode::OneStep);
  save();
  files->fail_at(files->steps.size() + 1, testing::FaultyFileSystem::Mode::FromStepOn);
  save();
  save();
  const std::string log = ::testing::internal::GetCapturedStderr();
  const std::string failed = "[App] Store write failed: history.json: injected failure\n";
  EXPECT_EQ(history_json_failures(log), failed + failed) << log;
  // The file holds the last save that succeeded.
  EXPECT_EQ(Store(paths).get_history_entry("https://site/t")->last_page_idx, 6u);
}

TEST(StoreWriter, EachFailedSaveIsLoggedOnceWithItsReason) {
  expect_each_failure_logged_once(true);
}

TEST(Store, EachFailedSaveIsLoggedOnceWithItsReason) {
  expect_each_failure_logged_once(false);
}

}  // namespace
}  // namespace zentomi
