#include "images/cover_cache.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include "images/cover_requests.hpp"
#include "images/image_fixtures.hpp"
#include "images/thumbnail_files.hpp"
#include "storage/faulty_file_system.hpp"
#include "support/files.hpp"
#include "support/jpeg_encoding.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::image_fixture;
using Bytes = std::vector<std::uint8_t>;

// Serves fixed bodies by URL, counts requests, and can hold every request until released.
class FakeServer {
 public:
  void serve(const std::string& url, Bytes body) {
    std::lock_guard lock(mutex_);
    bodies_[url] = std::move(body);
  }
  void hold() {
    std::lock_guard lock(mutex_);
    held_ = true;
  }
  void release() {
    {
      std::lock_guard lock(mutex_);
      held_ = false;
    }
    released_.notify_all();
  }
  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  void throw_for(const std::string& url) {
    std::lock_guard lock(mutex_);
    throwing_ = url;
  }
  std::expected<Bytes, std::string> fetch(std::string_view url) {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [&] { return !held_; });
    requests_.emplace_back(url);
    if (url == throwing_) throw std::bad_alloc();
    const auto found = bodies_.find(std::string(url));
    if (found == bodies_.end()) return std::unexpected("Failed to download image data");
    return found->second;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  std::string throwing_;
  std::map<std::string, Bytes> bodies_;
  std::vector<std::string> requests_;
};

class CoverCacheTest : public ::testing::Test {
 protected:
  CoverCacheTest() {
    covers.emplace(
        directory.path(), [this](std::string_view url) { return server.fetch(url); },
        [this] { return std::chrono::nanoseconds(clock.load()); }, files);
    worker = std::thread(covers->take_worker());
  }
  ~CoverCacheTest() override {
    server.release();
    covers.reset();  // the worker ends
    worker.join();
  }

  // Bounded, so a broken worker fails the test instead of hanging it.
  void settle() {
    for (int waited_ms = 0; !covers->idle(); ++waited_ms) {
      ASSERT_LT(waited_ms, 10'000) << "covers still pending";
      std::this_thread::sleep_for(1ms);
    }
  }
  SharedImage cover_after_settling(const std::string& url) {
    covers->get_thumbnail(url);
    settle();
    return covers->get_thumbnail(url);
  }
  void advance(std::chrono::nanoseconds by) { clock += by.count(); }
  fs::path cache_file(const std::string& url) const {
    return directory.path() / thumbnail_file_name(url);
  }

  testing::TempDir directory;
  std::shared_ptr<testing::FaultyFileSystem> files = std::make_shared<testing::FaultyFileSystem>();
  FakeServer server;
  std::atomic<std::int64_t> clock{std::chrono::nanoseconds(1000s).count()};
  std::optional<CoverCache> covers;
  std::thread worker;
};

const std::string COVER = "https://img.example/covers/one-piece.jpg";

TEST_F(CoverCacheTest, AnEmptyUrlIsNeverRequested) {
  EXPECT_EQ(covers->get_thumbnail(""), nullptr);
  EXPECT_EQ(covers->pending_count(), 0u);
  settle();
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(CoverCacheTest, AMissingCoverIsRequestedOnceAndThenShared) {
  server.serve(COVER, image_fixture("quadrants.jpg"));
  server.hold();
  for (int frame = 0; frame < 5; ++frame)
    EXPECT_EQ(covers->get_thumbnail(COVER), nullptr);
  EXPECT_EQ(covers->pending_count(), 1u);
  server.release();
  settle();

  const SharedImage cover = covers->get_thumbnail(COVER);
  ASSERT_NE(cover, nullptr);
  EXPECT_EQ(cover->width, 32u);
  EXPECT_EQ(covers->get_thumbnail(COVER), cover) << "every frame gets the same image, no copy";
  EXPECT_EQ(server.requests(), std::vector<std::string>{COVER});
  // Downloaded covers are kept on disk for later runs.
  EXPECT_EQ(testing::read_file(cache_file(COVER)),
            testing::read_file(testing::source_dir() / "tests/fixtures/images/quadrants.jpg"));
}

TEST_F(CoverCacheTest, ACoverOnDiskNeedsNoNetwork) {
  const Bytes png = image_fixture("rgba8.png");
  testing::write_file(cache_file(COVER), std::string(png.begin(), png.end()));
  const SharedImage cover = cover_after_settling(COVER);
  ASSERT_NE(cover, nullptr);
  EXPECT_EQ(cover->width, 6u);  // whatever the ".jpg" name says
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(CoverCacheTest, ACorruptFileOnDiskIsDeletedAndDownloadedAfterTheDelay) {
  testing::write_file(cache_file(COVER), "\xFF\xD8\xFF truncated");
  server.serve(COVER, image_fixture("quadrants.jpg"));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "a bad cached file fails silently";
  EXPECT_FALSE(fs::exists(cache_file(COVER)));

  advance(CoverBackoff::DELAY - 1ms);
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_TRUE(server.requests().empty());

  advance(1ms);
  EXPECT_NE(cover_after_settling(COVER), nullptr);
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(fs::exists(cache_file(COVER)));
}

TEST_F(CoverCacheTest, AFailedDownloadIsLoggedAndRetriedOnlyAfterTheDelay) {
  EXPECT_FALSE(covers->retrying());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_TRUE(covers->retrying()) << "the screen changes when the delay has passed";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Thumb] Download failed for " + COVER + ": Failed to download image data\n");
  EXPECT_EQ(covers->pending_count(), 0u);
  for (int frame = 0; frame < 10; ++frame)
    covers->get_thumbnail(COVER);
  settle();
  EXPECT_EQ(server.requests().size(), 1u);

  server.serve(COVER, image_fixture("lossy.webp"));
  advance(CoverBackoff::DELAY - 1ms);
  EXPECT_TRUE(covers->retrying());
  advance(1ms);
  EXPECT_FALSE(covers->retrying());
  EXPECT_NE(cover_after_settling(COVER), nullptr);
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(CoverCacheTest, UndecodableDownloadsAreNotKeptOnDisk) {
  const std::string page = "<html>Cloudflare challenge</html>";
  server.serve(COVER, Bytes(page.begin(), page.end()));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(fs::exists(cache_file(COVER)));
  EXPECT_EQ(covers->get_thumbnail(COVER), nullptr);
  EXPECT_EQ(covers->pending_count(), 0u) << "not requested again at once";
}

TEST_F(CoverCacheTest, CoversDroppedFromAFullCacheComeBackFromDisk) {
  const Bytes png = image_fixture("grey8.png");
  auto url = [](int n) { return "https://img.example/covers/" + std::to_string(n) + ".png"; };
  for (int n = 0; n <= static_cast<int>(ThumbnailCache::MAX_ENTRIES); ++n) {
    server.serve(url(n), png);
    covers->get_thumbnail(url(n));
  }
  settle();
  // The 101st insertion emptied the cache; only the last cover served is still decoded, and
  // asking for the others again reads them from disk.
  int decoded = 0;
  for (int n = 0; n <= static_cast<int>(ThumbnailCache::MAX_ENTRIES); ++n)
    decoded += covers->get_thumbnail(url(n)) != nullptr ? 1 : 0;
  EXPECT_EQ(decoded, 1);
  settle();
  EXPECT_EQ(server.requests().size(), ThumbnailCache::MAX_ENTRIES + 1) << "read from disk";
}

TEST_F(CoverCacheTest, ACoverTooLargeToDecodeFailsAndWaitsForTheDelay) {
  // Small as a file, 4,002,000 pixels decoded: over the covers' limit.
  const Bytes samples(std::size_t{2001} * 2000, 200);
  server.serve(COVER, testing::encode_jpeg(samples, 2001, 2000, 1, JCS_GRAYSCALE, 75));
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_FALSE(fs::exists(cache_file(COVER)));
  advance(CoverBackoff::DELAY - 1ms);
  EXPECT_EQ(cover_after_settling(COVER), nullptr);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(CoverCacheTest, AnUnwritableDirectoryOnlyCostsTheDiskCache) {
  fs::remove_all(directory.path());
  server.serve(COVER, image_fixture("lossless.webp"));
  EXPECT_NE(cover_after_settling(COVER), nullptr);
  EXPECT_FALSE(fs::exists(cache_file(COVER)));
}

// A step of keeping a downloaded cover that fails costs only the file: the cover is shown, and
// no partial file is left to fail later runs.
TEST_F(CoverCacheTest, AFailedStepWhileKeepingADownloadCostsOnlyTheFile) {
  // The steps of keeping a cover are "create", "write" and "close" of its file, in that order.
  const struct {
    std::size_t failing_step;  // 0 for none
    std::string_view step;
    bool kept;
  } cases[] = {{0, "", true}, {1, "create", false}, {2, "write", false}, {3, "close", false}};
  for (const auto& [failing_step, step, kept] : cases) {
    const std::string url = "https://img.example/covers/" + std::string(step) + ".jpg";
    server.serve(url, image_fixture("quadrants.jpg"));
    const std::size_t before = files->steps.size();
    files->fail_at(failing_step == 0 ? 0 : before + failing_step,
                   testing::FaultyFileSystem::Mode::OneStep);
    EXPECT_NE(cover_after_settling(url), nullptr) << step;
    EXPECT_EQ(fs::exists(cache_file(url)), kept) << step;
    if (failing_step != 0) {
      ASSERT_GE(files->steps.size(), before + failing_step);
      EXPECT_EQ(files->steps[before + failing_step - 1],
                std::string(step) + " " + thumbnail_file_name(url));
    }
  }
}

RgbaImage image_of_bytes(std::size_t bytes) {
  return RgbaImage{static_cast<std::uint32_t>(bytes / 4), 1, PixelBuffer(bytes)};
}

TEST(ThumbnailCache, IsEmptiedEntirelyWhenTheNextImageWouldExceedItsBudget) {
  ThumbnailCache cache(1000);
  const auto four_hundred = std::make_shared<const RgbaImage>(image_of_bytes(400));
  EXPECT_TRUE(cache.insert("a", four_hundred));
  EXPECT_TRUE(cache.insert("b", four_hundred));
  EXPECT_TRUE(cache.insert("b", std::make_shared<const RgbaImage>(image_of_bytes(200))));
  EXPECT_EQ(cache.bytes(), 600u) << "a replaced image no longer counts";
  EXPECT_TRUE(cache.insert("c", four_hundred));
  EXPECT_EQ(cache.size(), 3u) << "exactly the budget fits";
  EXPECT_EQ(cache.bytes(), 1000u);

  EXPECT_TRUE(cache.insert("d", std::make_shared<const RgbaImage>(image_of_bytes(4))));
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.bytes(), 4u);
  EXPECT_EQ(cache.find("a"), nullptr);

  // Larger than the whole budget: refused, and the cache is left as it was.
  EXPECT_FALSE(cache.insert("e", std::make_shared<const RgbaImage>(image_of_bytes(1004))));
  EXPECT_EQ(cache.find("e"), nullptr);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_NE(cache.find("d"), nullptr);
}

TEST_F(CoverCacheTest, OddEntriesInTheCacheFolderFailOnlyTheirCover) {
  // A folder where the file should be, and a FIFO nobody writes to.
  const std::string folder_cover = "https://img.example/covers/folder.jpg";
  const std::string fifo_cover = "https://img.example/covers/fifo.jpg";
  fs::create_directory(cache_file(folder_cover));
  ASSERT_EQ(::mkfifo(cache_file(fifo_cover).c_str(), 0600), 0);
  EXPECT_EQ(cover_after_settling(folder_cover), nullptr);
  EXPECT_EQ(cover_after_settling(fifo_cover), nullptr);
  server.serve(COVER, image_fixture("quadrants.jpg"));
  EXPECT_NE(cover_after_settling(COVER), nullptr) << "the worker still serves";
}

TEST_F(CoverCacheTest, AnErrorThrownWhileServingACoverFailsOnlyThatCover) {
  const std::string thrower = "https://img.example/covers/throws.jpg";
  server.throw_for(thrower);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cover_after_settling(thrower), nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Thumb] Failed for " + thrower + ": std::bad_alloc\n");
  for (int frame = 0; frame < 10; ++frame)
    covers->get_thumbnail(thrower);
  EXPECT_EQ(covers->pending_count(), 0u) << "not requested again at once";
  server.serve(COVER, image_fixture("quadrants.jpg"));
  EXPECT_NE(cover_after_settling(COVER), nullptr) << "the worker still serves";
}

TEST(ThumbnailCache, IsEmptiedEntirelyWhenFull) {
  ThumbnailCache cache;
  const auto image = std::make_shared<const RgbaImage>();
  for (std::size_t n = 0; n < ThumbnailCache::MAX_ENTRIES; ++n)
    cache.insert("cover " + std::to_string(n), image);
  EXPECT_EQ(cache.size(), 100u);
  cache.insert("cover 5", std::make_shared<const RgbaImage>());
  EXPECT_EQ(cache.size(), 1u) << "even a replacement empties a full cache first";
  EXPECT_NE(cache.find("cover 5"), image);

  cache.insert("cover 6", image);
  cache.insert("cover 6", image);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(cache.find("cover 6"), image);
  EXPECT_EQ(cache.find("cover 7"), nullptr);
}

TEST(CoverRequests, TheNewestOnScreenComeFirstAndThoseScrolledPastAreDropped) {
  CoverRequests requests;
  for (const char* url : {"a", "b", "c"})
    EXPECT_TRUE(requests.ask(url));
  EXPECT_FALSE(requests.ask("b")) << "queued once";
  requests.begin_frame();
  // The next frame shows c and d: a and b were scrolled past.
  requests.ask("c");
  requests.ask("d");
  requests.begin_frame();
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests.take(), "d");
  EXPECT_FALSE(requests.ask("d")) << "not queued again while served";
  // A frame that asks for nothing drops c, not the cover being served.
  requests.begin_frame();
  EXPECT_EQ(requests.size(), 1u);
  requests.done("d");
  EXPECT_EQ(requests.size(), 0u);
  EXPECT_TRUE(requests.ask("d"));
  requests.close();
  EXPECT_EQ(requests.take(), std::nullopt);
}

}  // namespace
}  // namespace zentomi
