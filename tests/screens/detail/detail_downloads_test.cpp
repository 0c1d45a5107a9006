#include "screens/detail/detail_downloads.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "library/download_worker.hpp"
#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using namespace std::chrono_literals;

const std::string TITLE = "https://site/truyen-tranh/one";

std::string chapter_url(int number) {
  return TITLE + "/chuong-" + std::to_string(number);
}

// Newest first, as the site lists them.
std::vector<ChapterRef> site_chapters(int count) {
  std::vector<ChapterRef> chapters;
  for (int n = count; n > 0; --n)
    chapters.push_back({"Chapter " + std::to_string(n), chapter_url(n)});
  return chapters;
}

TEST(ChaptersFrom, GoOnInReadingOrderFromTheSelectedOne) {
  const std::vector<ChapterRef> site = site_chapters(12);
  const struct {
    int selected;
    std::size_t count;
    std::vector<int> expected;
  } cases[] = {
      {1, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {10, 10, {10, 11, 12}},  // the newest ends the run
      {12, 10, {12}},
      {5, 1, {5}},
      {99, 10, {}},  // not in the list
  };
  for (const auto& c : cases) {
    std::vector<std::string> urls;
    for (const ChapterRef& chapter : chapters_from(site, chapter_url(c.selected), c.count))
      urls.push_back(chapter.url);
    std::vector<std::string> expected;
    for (const int n : c.expected)
      expected.push_back(chapter_url(n));
    EXPECT_EQ(urls, expected) << "selected " << c.selected;
  }
}

// The detail screen of a title of twelve chapters, with a download worker whose site has every
// page, and a clock the test moves.
class DetailDownloadsTest : public ::testing::Test {
 protected:
  DetailDownloadsTest() {
    DownloadServices services;
    services.load_pages =
        [](std::string_view url) -> std::expected<std::vector<std::string>, PagesFailure> {
      return std::vector<std::string>{std::string(url) + "/1.jpg", std::string(url) + "/2.jpg"};
    };
    services.fetch_bytes =
        [](std::string_view) -> std::expected<std::vector<std::uint8_t>, std::string> {
      return std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    };
    services.free_bytes = [](const std::string&) {
      return std::optional<std::uint64_t>(1ULL << 32);
    };
    services.retry_pause = 1ms;
    worker_ = std::thread([this, services] { run_download_worker(downloads, services); });
    state.home.home_loading = false;
    state.home.all_items = state.home.source_items = state.home.displayed_items = {item};
    handle_button(state, Button::A, context);
    detail_arrives();
  }
  ~DetailDownloadsTest() override {
    downloads.stop();
    worker_.join();
  }

  void detail_arrives() {
    MangaDetail detail{"One", "", "", "", "Action", "Summary", site_chapters(12)};
    apply_worker_result(state, DetailLoaded{detail, TITLE}, context);
  }
  void press(Button button) { handle_button(state, button, context); }
  // The selection on the chapter, newest first.
  void select(int number) {
    state.details.chapter_selected = static_cast<std::size_t>(12 - number);
  }
  DownloadMark mark(int number) const { return downloads.status(chapter_url(number)).mark; }
  bool eventually(DownloadMark wanted, int number) const {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (mark(number) == wanted) return true;
      std::this_thread::sleep_for(2ms);
    }
    return false;
  }

  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  Downloads downloads{(dir / "data").string()};
  testing::RecordingJobs jobs;
  std::chrono::system_clock::time_point now{std::chrono::seconds(1'700'000'000)};
  AppContext context{
      .jobs = jobs, .store = store, .wall_clock = [this] { return now; }, .downloads = &downloads};
  MangaItem item{"One", TITLE, "https://cdn/one.jpg", "Chapter 12", "1K"};
  AppState state = make_initial_state(1280, 720);

 private:
  std::thread worker_;
};

TEST_F(DetailDownloadsTest, SelectQueuesCancelsAndDeletesOnlyWhenAskedTwiceInTime) {
  select(3);
  press(Button::Select);
  ASSERT_TRUE(eventually(DownloadMark::Downloaded, 3));
  EXPECT_EQ(mark(4), DownloadMark::None);  // SELECT takes the selected chapter alone

  press(Button::Select);  // asks first
  EXPECT_TRUE(state.details.delete_asked);
  press(Button::Down);  // any other press drops the question
  press(Button::Up);
  press(Button::Select);
  now += 4s;  // too late: asked again instead
  press(Button::Select);
  EXPECT_EQ(mark(3), DownloadMark::Downloaded);
  EXPECT_TRUE(state.details.delete_asked);
  now += 3s;  // the window's last moment still counts
  press(Button::Select);
  EXPECT_EQ(mark(3), DownloadMark::None);
  EXPECT_FALSE(state.details.delete_asked);
}

TEST_F(DetailDownloadsTest, R2QueuesTenInReadingOrderSkippingWhatIsOnTheCard) {
  select(2);
  press(Button::Select);
  ASSERT_TRUE(eventually(DownloadMark::Downloaded, 2));
  downloads.stop();  // nothing more is downloaded: the queue shows what R2 asked for
  select(1);
  press(Button::R2);
  EXPECT_EQ(mark(1), DownloadMark::Queued);
  EXPECT_EQ(mark(2), DownloadMark::Downloaded);
  for (int n = 3; n <= 10; ++n)
    EXPECT_EQ(mark(n), DownloadMark::Queued) << n;
  EXPECT_EQ(mark(11), DownloadMark::None);
  EXPECT_EQ(downloads.summary().waiting, 9u);

  select(5);  // queued: SELECT cancels it
  press(Button::Select);
  EXPECT_EQ(mark(5), DownloadMark::None);
}

TEST_F(DetailDownloadsTest, ADetailThatCannotBeFetchedIsBuiltFromTheCard) {
  select(4);
  press(Button::Select);
  ASSERT_TRUE(eventually(DownloadMark::Downloaded, 4));
  press(Button::B);
  press(Button::A);  // opened again, and this time the page fails
  apply_worker_result(state, DetailLoaded{std::unexpected(std::string("offline")), TITLE}, context);
  EXPECT_TRUE(state.details.from_card);
  ASSERT_TRUE(state.details.detail);
  EXPECT_EQ(state.details.detail->title, "One");
  ASSERT_EQ(state.details.chapters.size(), 1u);
  EXPECT_EQ(state.details.chapters[0].url, chapter_url(4));
  EXPECT_EQ(state.details.detail_error, "offline");

  detail_arrives();  // back online: the whole list
  EXPECT_FALSE(state.details.from_card);
  EXPECT_EQ(state.details.chapters.size(), 12u);
}

TEST_F(DetailDownloadsTest, NothingOnTheCardLeavesTheFailureShown) {
  press(Button::B);
  press(Button::A);
  apply_worker_result(state, DetailLoaded{std::unexpected(std::string("offline")), TITLE}, context);
  EXPECT_FALSE(state.details.from_card);
  EXPECT_FALSE(state.details.detail);
}

}  // namespace
}  // namespace zentomi
