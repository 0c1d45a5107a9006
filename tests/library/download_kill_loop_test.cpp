// The download worker killed at random moments of a download and started again: the queue
// resumes, a folder without ".part" is always a whole chapter, and once the queue has ended no
// partial or temporary file is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "library/download_files.hpp"
#include "library/download_worker.hpp"
#include "support/fake_curl.hpp"
#include "support/process.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;

const std::string TITLE = "https://demo.example/truyen-tranh/den-long";
constexpr int CHAPTERS = 3;
constexpr int PAGES = 4;

std::string page_bytes(int chapter, int page) {
  return "\xFF\xD8\xFF chapter " + std::to_string(chapter) + " page " + std::to_string(page) +
         std::string(2000, 'x');
}

std::vector<std::string> runner(const std::string& data) {
  std::vector<std::string> argv = testing::built_program(ZENTOMI_DOWNLOAD_RUNNER_PATH);
  argv.push_back(data);
  return argv;
}

std::string chapter_url(int chapter) {
  return TITLE + "/chuong-" + std::to_string(chapter);
}

// Page files on the card, whole chapters' and partial ones' alike.
std::size_t pages_on_card(const std::string& data) {
  std::size_t pages = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator entry(fs::path(data) / DOWNLOADS_FOLDER, error);
       !error && entry != fs::recursive_directory_iterator(); entry.increment(error))
    pages += page_index_of(entry->path().filename().string()).has_value();
  return pages;
}

// Every folder that looks whole holds its record and every page of it, byte for byte.
void expect_only_whole_chapters(const std::string& data, int round) {
  const fs::path title = title_dir(data, TITLE);
  for (const std::string& name : folder_entries(title)) {
    const fs::path folder = title / name;
    if (!fs::is_directory(folder) || name.ends_with(".part") || name.ends_with(".gone")) continue;
    const auto record = parse_chapter_record(testing::read_file(folder / "chapter.json"));
    ASSERT_TRUE(record) << "round " << round << ": " << name << " has no record";
    const int chapter = std::stoi(record->url.substr(record->url.rfind('-') + 1));
    ASSERT_EQ(record->pages.size(), std::size_t{PAGES});
    for (int page = 0; page < PAGES; ++page)
      ASSERT_EQ(testing::read_file(folder / record->pages[page]), page_bytes(chapter, page))
          << "round " << round << ": " << name << " page " << page;
  }
}

TEST(DownloadKillLoop, NothingHalfWrittenCountsAndTheQueueResumes) {
  testing::FakeCurl curl;
  std::vector<QueueEntry> queue;
  for (int chapter = 1; chapter <= CHAPTERS; ++chapter) {
    std::string html = "<html><body>";
    for (int page = 0; page < PAGES; ++page) {
      const std::string path =
          "img/" + std::to_string(chapter) + "-" + std::to_string(page) + ".jpg";
      curl.serve(path, page_bytes(chapter, page));
      html += "<div class='page-chapter'><img src='https://cdn.example/" + path + "'></div>";
    }
    curl.serve("truyen-tranh/den-long/chuong-" + std::to_string(chapter), html + "</body></html>");
    queue.push_back(
        {TITLE, "Đèn lồng", {"Chương " + std::to_string(chapter), chapter_url(chapter)}});
  }
  testing::TempDir temp;
  const std::string data = (temp / "data").string();
  fs::create_directories(data);
  testing::write_file(fs::path(data) / QUEUE_FILE, render_queue(queue));

  const char* wanted = std::getenv("ZENTOMI_DOWNLOAD_KILLS");
  const int kills = wanted ? std::atoi(wanted) : 6;
  std::mt19937 random(31);
  // Kills land between 5 ms and a bound that grows while a run is too slow to write anything (a
  // loaded machine, an emulator), so the loop cannot pass without killing downloads half-way.
  int longest_ms = 400;
  std::size_t pages_seen = 0;
  int kills_mid_download = 0;
  int round = 0;
  bool ended = false;
  for (; round < kills; ++round) {
    testing::ProcessOptions options;
    options.time_limit =
        std::chrono::milliseconds(std::uniform_int_distribution<int>(5, longest_ms)(random));
    const testing::ProcessResult result = testing::run_process(runner(data), options);
    expect_only_whole_chapters(data, round);
    if (HasFatalFailure()) return;
    const std::size_t pages = pages_on_card(data);
    if (pages <= pages_seen && result.timed_out) longest_ms = std::min(longest_ms * 2, 8000);
    if (result.timed_out && pages > 0) ++kills_mid_download;
    pages_seen = pages;
    if (!result.timed_out) {
      // Finished before the kill: start over with an empty card so later rounds kill again.
      ASSERT_EQ(result.out, "done\n") << result.err;
      ended = true;
      fs::remove_all(fs::path(data) / DOWNLOADS_FOLDER);
      pages_seen = 0;
      longest_ms = std::max(longest_ms / 2, 50);
      testing::write_file(fs::path(data) / QUEUE_FILE, render_queue(queue));
    }
  }
  const testing::ProcessResult last = testing::run_process(runner(data));
  ASSERT_EQ(last.out, "done\n") << last.err;
  expect_only_whole_chapters(data, round);
  EXPECT_EQ(parse_queue(testing::read_file(fs::path(data) / QUEUE_FILE)),
            std::vector<QueueEntry>{});
  std::size_t whole = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(data) / DOWNLOADS_FOLDER)) {
    const std::string name = entry.path().filename().string();
    EXPECT_FALSE(name.ends_with(".tmp") || name.ends_with(".part") || name.ends_with(".gone"))
        << entry.path();
    whole += name == "chapter.json";
  }
  EXPECT_EQ(whole, std::size_t{CHAPTERS});
  std::printf("[ KILLLOOP ] %d rounds, %d killed with pages on the card, a whole run %s\n", round,
              kills_mid_download, ended ? "seen" : "not seen");
  EXPECT_GT(kills_mid_download, 0) << "no run was killed half-way through the downloads";
}

}  // namespace
}  // namespace zentomi
