#include "storage/store_writer.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <stdexcept>

#include "storage/store.hpp"
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

  std::optional<FileIdentity> status(const std::string& path) override {
    return real_.status(path);
  }
  std::expected<void, std::string> create_directories(const std::string& path) override {
    return real_.create_directories(path);
  }
  std::expected<std::string, std::string> read_file(const std::string& path) override {
    return real_.read_file(path);
  }
  std::expected<int, std::string> create_file(const std::string& path) override {
    if (create_failure) throw std::runtime_error(*create_failure);
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

 private:
  PosixFileSystem real_;
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
            "[App] Store write failed: card gone\\n[App] forged\\x1b[2J\\u0085Đã lưu\n");
}

}  // namespace
}  // namespace zentomi
