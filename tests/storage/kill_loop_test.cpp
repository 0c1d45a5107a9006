// A process killed at arbitrary moments while it records progress never leaves a history that
// fails to load, and never loses a change that it had finished saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>

#include "storage/store.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

TEST(KillLoop, HistorySurvivesSigkillAtAnyMoment) {
  testing::TempDir temp;
  const std::string data = (temp / "data").string();
  const StorePaths paths{data, data};
  // Fifty other titles make every save a few kilobytes long, so kills land inside writes.
  HistoryMap others;
  for (int index = 0; index < 50; ++index) {
    const std::string url = "https://x/truyen/khac-" + std::to_string(index);
    others[url] = MangaHistory{url,         "Truyện khác số " + std::to_string(index),
                               "Chương 12", url + "/chuong-12",
                               3,           40,
                               1700000000};
  }
  Store(paths).save_history(others);

  const std::string url = "https://x/truyen/dao-hai-tac";
  std::mt19937 random(20240611);
  // Kills land between 5 ms and a bound that grows while the writer is too slow to save at all
  // (as under an emulator), so the loop cannot pass without exercising anything.
  int longest_delay_ms = 150;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(25);
  std::uint64_t highest_printed = 0;
  std::size_t saves_seen = 0;
  int rounds = 0;
  for (; rounds < 40 && std::chrono::steady_clock::now() < deadline; ++rounds) {
    testing::ProcessOptions options;
    options.time_limit =
        std::chrono::milliseconds(std::uniform_int_distribution<int>(5, longest_delay_ms)(random));
    std::vector<std::string> argv = testing::built_program(ZENTOMI_PROGRESS_WRITER_PATH);
    argv.push_back(data);
    const testing::ProcessResult result = testing::run_process(argv, options);
    ASSERT_TRUE(result.timed_out) << "the writer ended by itself: " << result.err;

    std::istringstream printed(result.out);
    for (std::uint64_t page = 0; printed >> page; ++saves_seen)
      highest_printed = page;
    if (saves_seen == 0) longest_delay_ms = std::min(longest_delay_ms * 2, 4000);

    const HistoryMap history = Store(paths).load_history();
    ASSERT_GE(history.size(), others.size()) << "round " << rounds << ": the history did not load";
    for (const auto& [key, record] : others)
      ASSERT_EQ(history.at(key), record);
    if (saves_seen > 0) {
      ASSERT_TRUE(history.contains(url)) << "round " << rounds;
      EXPECT_GE(history.at(url).last_page_idx, highest_printed)
          << "round " << rounds << ": a finished save was lost";
    }
  }
  EXPECT_GT(saves_seen, 0u) << "the writer never got to save in " << rounds << " rounds";
  std::printf("[ KILLLOOP ] %d kills, %zu saves completed\n", rounds, saves_seen);
}

}  // namespace
}  // namespace zentomi
