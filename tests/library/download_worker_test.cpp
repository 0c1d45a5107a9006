#include "library/download_worker.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "library/download_files.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::string TITLE = "https://a/truyen-tranh/den-long";

Bytes jpeg(int page) {
  const std::string text = "\xFF\xD8\xFF page " + std::to_string(page);
  return Bytes(text.begin(), text.end());
}

// A site of chapters and pages in memory, with the failures a test asks for.
struct FakeSite {
  std::mutex mutex;
  std::map<std::string, std::vector<std::string>> chapters;  // chapter url -> page urls
  std::map<std::string, Bytes> pages;
  std::set<std::string> broken;  // pages that never arrive
  bool offline = false;
  std::uint64_t free_bytes = std::uint64_t{1} << 30;
  std::vector<std::string> fetched;

  std::string add_chapter(int number, int page_count) {
    const std::string url = TITLE + "/chuong-" + std::to_string(number);
    for (int page = 0; page < page_count; ++page) {
      const std::string page_url =
          "https://cdn/" + std::to_string(number) + "/" + std::to_string(page) + ".jpg";
      chapters[url].push_back(page_url);
      pages[page_url] = jpeg(number * 100 + page);
    }
    return url;
  }

  DownloadServices services() {
    DownloadServices services;
    services.load_pages =
        [this](std::string_view url) -> std::expected<std::vector<std::string>, PagesFailure> {
      const std::lock_guard lock(mutex);
      if (offline) return std::unexpected(PagesFailure{"Network error: exit code Some(6)", true});
      const auto found = chapters.find(std::string(url));
      if (found == chapters.end()) return std::unexpected(PagesFailure{"no pages", false});
      return found->second;
    };
    services.fetch_bytes = [this](std::string_view url) -> std::expected<Bytes, std::string> {
      const std::lock_guard lock(mutex);
      fetched.emplace_back(url);
      if (offline || broken.contains(std::string(url)))
        return std::unexpected(std::string("Failed to download image data"));
      return pages.at(std::string(url));
    };
    services.free_bytes = [this](const std::string&) -> std::optional<std::uint64_t> {
      const std::lock_guard lock(mutex);
      return free_bytes;
    };
    services.retry_pause = std::chrono::milliseconds(1);
    services.network_wait = std::chrono::milliseconds(20);
    return services;
  }
};

// The worker on a thread of its own for the length of a test.
class Worker {
 public:
  Worker(Downloads& downloads, DownloadServices services)
      : downloads_(downloads),
        services_(std::move(services)),
        thread_([this] { run_download_worker(downloads_, services_); }) {}
  ~Worker() {
    downloads_.stop();
    thread_.join();
  }

 private:
  Downloads& downloads_;
  DownloadServices services_;
  std::thread thread_;
};

template <typename Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// Every file below the folder, relative to it.
std::set<std::string> files_below(const fs::path& folder) {
  std::set<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), folder).string());
  return names;
}

class DownloadWorkerTest : public ::testing::Test {
 protected:
  std::size_t enqueue(const std::vector<std::string>& urls) {
    std::vector<ChapterRef> chapters;
    for (const std::string& url : urls)
      chapters.push_back({"Chương " + url.substr(url.rfind('-') + 1), url});
    MangaDetail detail{"Đèn lồng", "https://c/cover.jpg", "", "", "", "", chapters};
    return downloads.enqueue(
        {"Đèn lồng", TITLE, "https://c/cover.jpg", "", ""}, detail, chapters,
        std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)));
  }
  bool settled(const std::vector<std::string>& urls, DownloadMark mark) {
    return eventually([&] {
      for (const std::string& url : urls)
        if (downloads.status(url).mark != mark) return false;
      return true;
    });
  }
  fs::path title_folder() const { return title_dir(data, TITLE); }

  testing::TempDir temp;
  std::string data = (temp / "data").string();
  Downloads downloads{data};
  FakeSite site;
};

TEST_F(DownloadWorkerTest, ChaptersLandWholeAndResumeAfterARestart) {
  const std::string one = site.add_chapter(1, 3);
  const std::string two = site.add_chapter(2, 2);
  {
    Worker worker(downloads, site.services());
    EXPECT_EQ(enqueue({one, two}), 2u);
    EXPECT_EQ(enqueue({one, two}), 0u);  // queued already
    ASSERT_TRUE(settled({one, two}, DownloadMark::Downloaded));
  }
  const fs::path folder = chapter_dir(data, TITLE, one);
  EXPECT_EQ(testing::read_file(folder / "002.jpg"), "\xFF\xD8\xFF page 101");
  const auto record = parse_chapter_record(testing::read_file(folder / "chapter.json"));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->pages, (std::vector<std::string>{"001.jpg", "002.jpg", "003.jpg"}));
  for (const std::string& name : files_below(data))
    EXPECT_FALSE(name.ends_with(".tmp") || name.find(".part") != std::string::npos) << name;

  // Another run finds both on the card, by site path under any origin, with the title record.
  Downloads again(data);
  Worker worker(again, site.services());
  ASSERT_TRUE(eventually([&] { return again.titles().size() == 1; }));
  EXPECT_EQ(again.titles()[0].chapter_count, 2u);
  EXPECT_EQ(again.titles()[0].record.item.title, "Đèn lồng");
  const auto moved = again.find_chapter("https://moved.example/truyen-tranh/den-long/chuong-2");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->record.pages.size(), 2u);
  EXPECT_EQ(again.downloaded_chapters(TITLE).size(), 2u);
}

TEST_F(DownloadWorkerTest, AQueueLeftHalfWayResumesWithoutFetchingPagesAgain) {
  const std::string one = site.add_chapter(1, 4);
  const std::string two = site.add_chapter(2, 1);
  site.broken.insert(site.chapters[one][2]);
  {
    Worker worker(downloads, site.services());
    enqueue({one, two});
    ASSERT_TRUE(settled({one}, DownloadMark::Failed));
    ASSERT_TRUE(settled({two}, DownloadMark::Downloaded));
  }
  // The next start resumes the failed chapter once it is queued again.
  site.broken.clear();
  site.fetched.clear();
  Downloads again(data);
  Worker worker(again, site.services());
  // The failed mark is kept across the restart.
  ASSERT_TRUE(eventually([&] { return again.status(one).mark == DownloadMark::Failed; }));
  std::vector<ChapterRef> chapters{{"Chương 1", one}};
  again.enqueue({"Đèn lồng", TITLE, "", "", ""}, {}, chapters, {});
  ASSERT_TRUE(eventually([&] { return again.status(one).mark == DownloadMark::Downloaded; }));
  EXPECT_EQ(site.fetched, (std::vector<std::string>{site.chapters[one][2], site.chapters[one][3]}));
}

TEST_F(DownloadWorkerTest, APageThatAlwaysFailsFailsItsChapterAndTheQueueGoesOn) {
  const std::string one = site.add_chapter(1, 3);
  const std::string two = site.add_chapter(2, 2);
  site.broken.insert(site.chapters[one][1]);
  Worker worker(downloads, site.services());
  enqueue({one, two});
  ASSERT_TRUE(settled({two}, DownloadMark::Downloaded));
  EXPECT_EQ(downloads.status(one).mark, DownloadMark::Failed);
  EXPECT_EQ(std::count(site.fetched.begin(), site.fetched.end(), site.chapters[one][1]),
            PAGE_TRIES);
  EXPECT_FALSE(fs::exists(chapter_dir(data, TITLE, one)));
  EXPECT_EQ(downloads.summary().waiting, 0u);
}

TEST_F(DownloadWorkerTest, AFullCardStopsTheQueueWithNothingCounted) {
  const std::string one = site.add_chapter(1, 3);
  site.free_bytes = (std::uint64_t{100} << 20) - 1;
  Worker worker(downloads, site.services());
  enqueue({one});
  ASSERT_TRUE(eventually([&] { return downloads.stop_message().has_value(); }));
  EXPECT_EQ(downloads.stop_message(), "Thẻ nhớ đầy: còn 99 MB");
  EXPECT_EQ(downloads.status(one).mark, DownloadMark::Queued);
  EXPECT_TRUE(site.fetched.empty());
  EXPECT_FALSE(fs::exists(chapter_dir(data, TITLE, one)));
  EXPECT_TRUE(downloads.titles().empty());
}

TEST_F(DownloadWorkerTest, TheQueueWaitsForTheNetworkInsteadOfFailing) {
  const std::string one = site.add_chapter(1, 2);
  site.offline = true;
  Worker worker(downloads, site.services());
  enqueue({one});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // Retried every 20 ms, so it may be mid-attempt; never failed for a missing network.
  const DownloadMark waiting = downloads.status(one).mark;
  EXPECT_TRUE(waiting == DownloadMark::Queued || waiting == DownloadMark::Downloading);
  {
    const std::lock_guard lock(site.mutex);
    site.offline = false;
  }
  ASSERT_TRUE(settled({one}, DownloadMark::Downloaded));
}

TEST_F(DownloadWorkerTest, CancelAndDeleteRemoveThatChapterAlone) {
  const std::string one = site.add_chapter(1, 2);
  const std::string two = site.add_chapter(2, 2);
  const std::string three = site.add_chapter(3, 2);
  site.broken.insert(site.chapters[three][1]);
  Worker worker(downloads, site.services());
  enqueue({one, two, three});
  ASSERT_TRUE(settled({one, two}, DownloadMark::Downloaded));
  ASSERT_TRUE(settled({three}, DownloadMark::Failed));
  const std::set<std::string> before = files_below(title_folder());
  ASSERT_TRUE(fs::exists(chapter_dir(data, TITLE, three) + ".part"));

  EXPECT_TRUE(downloads.remove_downloaded(one));
  EXPECT_TRUE(downloads.cancel(three));
  EXPECT_EQ(downloads.status(one).mark, DownloadMark::None);
  EXPECT_EQ(downloads.status(three).mark, DownloadMark::None);
  ASSERT_TRUE(eventually([&] {
    return !fs::exists(chapter_dir(data, TITLE, one)) &&
           !fs::exists(chapter_dir(data, TITLE, three) + ".part");
  }));
  std::set<std::string> expected;
  for (const std::string& name : before)
    if (!name.starts_with("chuong-1") && !name.starts_with("chuong-3")) expected.insert(name);
  EXPECT_EQ(files_below(title_folder()), expected);
  EXPECT_TRUE(expected.contains("chuong-2/002.jpg"));
  EXPECT_TRUE(expected.contains("title.json"));
}

}  // namespace
}  // namespace zentomi
