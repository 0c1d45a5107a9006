// Reading progress as it lands on the SD card: written when the program ends normally, and still
// a valid store when the program is killed in the middle of page turns.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "storage/store.hpp"
#include "storage/store_json.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using ::testing::HasSubstr;

// The first title of the demo site's front page, its first chapter opened with L1 (seven pages).
constexpr const char* OPEN_FIRST_CHAPTER = "settle\npress A\nsettle\npress L1\nsettle\n";
constexpr const char* TITLE_PATH = "/truyen-tranh/kiem-khach-mua-thu";

testing::ProcessOptions sim_options(const testing::TempDir& dir) {
  testing::ProcessOptions options;
  options.environment.emplace("TRIMUI_DEVICE", "smart pro");
  options.environment.emplace("ZENTOMI_SDCARD", (dir / "sdcard").string());
  const char* path = std::getenv("PATH");
  options.environment.emplace("PATH", (testing::source_dir() / "tools/demo-site/bin").string() +
                                          ":" + (path ? path : "/usr/bin:/bin"));
  options.working_directory = dir.path().string();
  return options;
}

std::vector<std::string> sim_argv(const testing::TempDir& dir, const std::string& script) {
  testing::write_file(dir / "script.sim", script);
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SIM_PATH);
  argv.insert(argv.end(),
              {"--script", (dir / "script.sim").string(), "--out", (dir / "shots").string()});
  return argv;
}

std::filesystem::path history_file(const testing::TempDir& dir) {
  return dir / "sdcard" / "Apps" / "zentomi" / "data" / "history.json";
}

TEST(ReaderHistory, TheLastPageShownIsOnTheCardAfterANormalExit) {
  testing::TempDir dir;
  // Three turns, then B from the reader, the detail screen and home: the program's own way out.
  std::string script = OPEN_FIRST_CHAPTER;
  script += "press RIGHT\nsettle\npress RIGHT\nsettle\npress RIGHT\nsettle\n";
  script += "press B\nsettle\npress B\nsettle\nwait 1100\npress B\nframes 5\n";
  auto options = sim_options(dir);
  const auto result = testing::run_process(sim_argv(dir, script), options);
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("[App] Clean exit to MainUI via Button B.\n"));

  const std::optional<HistoryMap> history =
      parse_history_json(testing::read_file(history_file(dir)));
  ASSERT_TRUE(history.has_value());
  ASSERT_EQ(history->size(), 1u);
  const MangaHistory& entry = history->begin()->second;
  EXPECT_THAT(entry.manga_url, HasSubstr(TITLE_PATH));
  EXPECT_THAT(entry.last_chapter_url, HasSubstr(std::string(TITLE_PATH) + "/chuong-1"));
  EXPECT_EQ(entry.last_chapter_title, "Chapter 1");
  EXPECT_EQ(entry.last_page_idx, 3u);
  EXPECT_EQ(entry.total_pages, 7u);
}

TEST(ReaderHistory, AKillDuringPageTurnsLeavesALoadableHistory) {
  // A long burst of turns, each of which saves; the kill lands at a different point of it on
  // every round, after the first save has reached the card.
  std::string script = OPEN_FIRST_CHAPTER;
  for (int i = 0; i < 400; ++i)
    script += i % 12 < 6 ? "press R1\nframes 1\n" : "press L1\nframes 1\n";
  script += "quit\n";
  for (int round = 0; round < 6; ++round) {
    testing::TempDir dir;
    const std::filesystem::path history = history_file(dir);
    {
      testing::BackgroundProcess sim(sim_argv(dir, script), sim_options(dir));
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!std::filesystem::exists(history) && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ASSERT_TRUE(std::filesystem::exists(history)) << "no progress saved in round " << round;
      std::this_thread::sleep_for(std::chrono::milliseconds(15 + 25 * round));
    }  // SIGKILL
    // The program's own loader, as the next start would use it: a kill between setting the old
    // file aside and putting the new one in place leaves the old one as the previous version.
    const Store store(StorePaths{(dir / "sdcard" / "Apps" / "zentomi" / "data").string(),
                                 (dir / "local").string()});
    const HistoryMap loaded = store.load_history();
    ASSERT_EQ(loaded.size(), 1u) << "round " << round;
    EXPECT_EQ(loaded.begin()->second.last_chapter_title, "Chapter 1");
    EXPECT_LT(loaded.begin()->second.last_page_idx, 7u);
  }
}

// A title of the card's Manga folder read in one run and continued from the history (L2) in the
// next: its progress is kept under its local: address, and nothing of it is ever fetched.
TEST(ReaderHistory, ALocalTitleIsContinuedFromTheHistoryAfterARestart) {
  testing::TempDir dir;
  const std::filesystem::path chapter = dir / "sdcard/Manga/Saga/Chap 1";
  std::filesystem::create_directories(chapter);
  for (const char* page : {"1.jpg", "2.jpg", "3.jpg"}) {
    std::filesystem::copy_file(testing::source_dir() / "tests/fixtures/images/grey.jpg",
                               chapter / page);
  }
  // Each settle may take 30 s: the card's scan and the decoding are slow under a sanitizer on a
  // loaded machine, and nothing here is about time.
  const auto patient = [](std::string script) {
    for (std::size_t at = script.find("settle\n"); at != std::string::npos;
         at = script.find("settle\n", at)) {
      script.replace(at, 7, "settle 30000\n");
    }
    return script;
  };
  // The library's only title, then its only chapter: two pages on.
  const std::string leave =
      "press B\nsettle\npress B\nsettle\npress B\nsettle\nwait 1100\npress B\n";
  const std::string first = patient(
      "settle\npress L1\nsettle\npress A\nsettle\npress A\nsettle\n"
      "press RIGHT\nsettle\npress RIGHT\nsettle\n" +
      leave + "frames 5\n");
  // The history, the title, START to continue, and one page back.
  const std::string second = patient(
      "settle\npress L2\nsettle\npress A\nsettle\npress START\nsettle\n"
      "press LEFT\nsettle\n" +
      leave + "frames 5\n");
  const auto options = sim_options(dir);
  const auto entry = [&] {
    const std::optional<HistoryMap> history =
        parse_history_json(testing::read_file(history_file(dir)));
    EXPECT_TRUE(history.has_value() && history->size() == 1u);
    return history && !history->empty() ? history->begin()->second : MangaHistory{};
  };
  for (const std::string& script : {first, second}) {
    const auto result = testing::run_process(sim_argv(dir, script), options);
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_THAT(result.err, ::testing::Not(HasSubstr("local:"))) << "nothing tried to fetch it";
    const MangaHistory read = entry();
    EXPECT_EQ(read.manga_url, "local:Saga");
    EXPECT_EQ(read.manga_title, "Saga");
    EXPECT_EQ(read.last_chapter_url, "local:Saga/Chap 1");
    EXPECT_EQ(read.last_chapter_title, "Chap 1");
    EXPECT_EQ(read.total_pages, 3u);
    // Two pages on in the first run; continued there and one back in the second.
    EXPECT_EQ(read.last_page_idx, script == first ? 2u : 1u);
  }
}

}  // namespace
}  // namespace zentomi
