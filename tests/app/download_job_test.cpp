// The download queue runs as a job of the job table: its progress reaches the screens through the
// job results, and it ends when the program stops it, leaving a half-done chapter uncounted.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/job_runner.hpp"
#include "library/download_files.hpp"
#include "screens/dispatch.hpp"
#include "support/model_printers.hpp"
#include "support/receive_within.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {

void PrintTo(const ChapterDownloadStatus& status, std::ostream* out) {
  *out << "mark " << int(status.mark) << ", " << status.pages_done << "/" << status.pages_total;
}

namespace {

const std::string TITLE = "https://a.example/truyen-tranh/den-long";
const std::string CHAPTER = TITLE + "/chuong-1";
const std::string MOVED = "https://b.example/truyen-tranh/den-long/chuong-1";

// The second page's download waits until the test lets it end.
struct HeldPage {
  std::mutex mutex;
  std::condition_variable changed;
  bool fetching = false;
  bool released = false;

  DownloadServices services() {
    DownloadServices services;
    services.load_pages = [](std::string_view) {
      return std::expected<std::vector<std::string>, PagesFailure>(
          std::vector<std::string>{"https://cdn/1.jpg", "https://cdn/2.jpg", "https://cdn/3.jpg"});
    };
    services.fetch_bytes =
        [this](std::string_view url) -> std::expected<std::vector<std::uint8_t>, std::string> {
      if (url.ends_with("2.jpg")) {
        std::unique_lock lock(mutex);
        fetching = true;
        changed.notify_all();
        changed.wait(lock, [this] { return released; });
      }
      return std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0};
    };
    return services;
  }
  void wait_until_fetching() {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [this] { return fetching; }));
  }
  void release() {
    const std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
};

using testing::receive_within;

DownloadProgress progress_in(const std::optional<WorkerResult>& result) {
  if (!result || !std::holds_alternative<DownloadProgress>(*result)) {
    ADD_FAILURE() << "no progress";
    return {"none"};
  }
  return std::get<DownloadProgress>(*result);
}

TEST(DownloadJob, ProgressReachesTheScreensAndAStopLeavesTheChapterUncounted) {
  testing::TempDir temp;
  const std::string data = (temp / "data").string();
  auto downloads = std::make_shared<Downloads>(data);
  HeldPage site;
  auto [sender, results] = Channel<WorkerResult>::create();
  JobEnvironment environment;
  environment.downloads = downloads;
  environment.download_services = site.services();
  ThreadJobRunner runner(sender,
                         [environment](const JobRequest& request, const JobControl& control) {
                           return run_job(request, environment, control);
                         });
  runner.start(job::Download{});
  // Waiting for its queue, it holds nothing up.
  EXPECT_EQ(runner.in_flight(), 0u);
  const std::vector<ChapterRef> chapters{{"Chương 1", CHAPTER}};
  downloads->enqueue({"Đèn lồng", TITLE, "", "", ""}, {}, chapters, {});
  site.wait_until_fetching();

  testing::TempDir store_dir;
  Store store{StorePaths{(store_dir / "sd").string(), (store_dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store, [] { return std::chrono::system_clock::time_point{}; }};
  AppState state = make_initial_state(1280, 720);
  std::vector<DownloadProgress> reported;
  while (auto result = results.try_receive()) {
    ASSERT_TRUE(std::holds_alternative<DownloadProgress>(*result));
    reported.push_back(std::get<DownloadProgress>(*result));
    apply_worker_result(state, std::move(*result), context);
  }
  EXPECT_EQ(reported,
            (std::vector<DownloadProgress>{{CHAPTER, 0, 0}, {CHAPTER, 0, 3}, {CHAPTER, 1, 3}}));
  // The row and the chip read it, by the chapter's path wherever the site is now.
  EXPECT_EQ(shown_download_status(downloads->status(MOVED), false, MOVED, state.download_progress),
            (ChapterDownloadStatus{DownloadMark::Downloading, 1, 3}));

  downloads->stop();
  site.release();
  // The page in hand is stored, and the job ends before the next one.
  EXPECT_EQ(progress_in(receive_within(results, std::chrono::seconds(30))),
            (DownloadProgress{CHAPTER, 2, 3}));
  EXPECT_EQ(progress_in(receive_within(results, std::chrono::seconds(30))), DownloadProgress{});
  EXPECT_EQ(downloads->status(CHAPTER).mark, DownloadMark::Queued);
  EXPECT_FALSE(std::filesystem::exists(chapter_dir(data, TITLE, CHAPTER)));
  EXPECT_TRUE(std::filesystem::exists(chapter_dir(data, TITLE, CHAPTER) + ".part/002.jpg"));
}

// Only a chapter the queue still waits for shows the job's report.
TEST(DownloadJob, AReportTheQueueHasOutlivedShowsNothing) {
  const DownloadProgress report{CHAPTER, 4, 9};
  const ChapterDownloadStatus queued{DownloadMark::Queued, 0, 0};
  const ChapterDownloadStatus running{DownloadMark::Downloading, 4, 9};
  const struct {
    ChapterDownloadStatus held;
    bool stopped;
    std::string chapter;
    DownloadProgress report;
    ChapterDownloadStatus shown;
  } cases[] = {
      {queued, false, CHAPTER, report, running},
      {queued, false, MOVED, report, running},
      {queued, false, TITLE + "/chuong-2", report, queued},
      {queued, false, CHAPTER, {}, queued},
      {queued, true, CHAPTER, report, queued},
      {{DownloadMark::Downloaded, 0, 0}, false, CHAPTER, report, {DownloadMark::Downloaded, 0, 0}},
      {{DownloadMark::Failed, 0, 0}, false, CHAPTER, report, {DownloadMark::Failed, 0, 0}},
      {{}, false, CHAPTER, report, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shown_download_status(c.held, c.stopped, c.chapter, c.report), c.shown)
        << c.chapter << " stopped " << c.stopped;
  }
}

}  // namespace
}  // namespace zentomi
