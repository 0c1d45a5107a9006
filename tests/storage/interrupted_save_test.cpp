// A save cut short at any step, by a failed call or by a crash, leaves a store that loads with
// the old or the new content, and never destroys a file that did not load.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "faulty_file_system.hpp"
#include "storage/store.hpp"
#include "storage/store_json.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;
using Mode = testing::FaultyFileSystem::Mode;

const HistoryMap OLD{{"u", {"u", "Cũ", "Chương 1", "c1", 1, 10, 100}}};
const HistoryMap NEW{{"u", {"u", "Mới", "Chương 2", "c2", 2, 10, 200}},
                     {"v", {"v", "Khác", "Chương 5", "c5", 0, 3, 200}}};
const std::string DAMAGED = "{\"u\": {\"manga_url\": ";

enum class Before { NoFile, SoundFile, DamagedFile };

struct Outcome {
  HistoryMap loaded;
  std::vector<std::string> steps;
  bool damaged_bytes_kept = false;
};

// Sets up the data directory, saves NEW with the failure given, then looks with fresh eyes.
Outcome save_interrupted(Before before, std::size_t step, Mode mode) {
  testing::TempDir temp;
  const StorePaths paths{(temp / "data").string(), (temp / "fallback").string()};
  const fs::path file = temp / "data" / "history.json";
  fs::create_directories(temp / "data");
  if (before == Before::SoundFile) testing::write_file(file, render_history_json(OLD));
  if (before == Before::DamagedFile) testing::write_file(file, DAMAGED);

  auto files = std::make_shared<testing::FaultyFileSystem>();
  files->fail_at(step, mode);
  Store store(paths, StoreSystem{files, [] { return std::chrono::system_clock::from_time_t(7); }});
  store.save_history(NEW);

  Outcome outcome{Store(paths).load_history(), files->steps};
  for (const auto& entry : fs::directory_iterator(temp / "data")) {
    if (entry.is_regular_file() && testing::read_file(entry.path()) == DAMAGED) {
      outcome.damaged_bytes_kept = true;
    }
  }
  return outcome;
}

std::size_t count_steps(Before before) {
  return save_interrupted(before, 0, Mode::OneStep).steps.size();
}

TEST(InterruptedSave, EveryStepFailingOrCrashingLeavesOldOrNew) {
  for (const Before before : {Before::NoFile, Before::SoundFile, Before::DamagedFile}) {
    const HistoryMap old = before == Before::SoundFile ? OLD : HistoryMap{};
    const std::size_t total = count_steps(before);
    ASSERT_GE(total, 6u);
    for (std::size_t step = 1; step <= total; ++step) {
      for (const Mode mode : {Mode::OneStep, Mode::FromStepOn}) {
        const Outcome outcome = save_interrupted(before, step, mode);
        SCOPED_TRACE("state " + std::to_string(static_cast<int>(before)) + ", failing step " +
                     outcome.steps.at(step - 1) +
                     (mode == Mode::FromStepOn ? " and every later one" : " alone"));
        EXPECT_TRUE(outcome.loaded == old || outcome.loaded == NEW);
        if (before == Before::DamagedFile) {
          EXPECT_TRUE(outcome.damaged_bytes_kept);
        }
      }
    }
  }
}

TEST(InterruptedSave, FailedWriteFlushOrRenameKeepsThePreviousFile) {
  const std::size_t total = count_steps(Before::SoundFile);
  const std::vector<std::string> clean =
      save_interrupted(Before::SoundFile, 0, Mode::OneStep).steps;
  for (const std::string name : {"write history.json.tmp", "flush history.json.tmp",
                                 "rename history.json.tmp history.json"}) {
    const auto position = std::find(clean.begin(), clean.end(), name);
    ASSERT_NE(position, clean.end()) << name;
    const std::size_t step = static_cast<std::size_t>(position - clean.begin()) + 1;
    ASSERT_LE(step, total);
    for (const Mode mode : {Mode::OneStep, Mode::FromStepOn}) {
      EXPECT_EQ(save_interrupted(Before::SoundFile, step, mode).loaded, OLD) << name;
    }
  }
}

TEST(InterruptedSave, NewContentIsOnTheDeviceBeforeItIsPublished) {
  const std::vector<std::string> steps =
      save_interrupted(Before::SoundFile, 0, Mode::OneStep).steps;
  const auto at = [&](const std::string& name) {
    return std::find(steps.begin(), steps.end(), name) - steps.begin();
  };
  const auto publish = at("rename history.json.tmp history.json");
  ASSERT_LT(publish, static_cast<long>(steps.size()));
  EXPECT_LT(at("flush history.json.tmp"), publish);
  EXPECT_LT(at("close history.json.tmp"), publish);
  EXPECT_LT(at("rename history.json history.json.bak"), publish);
  // The directory is flushed after the publishing rename and before the old version goes.
  const auto last_removal = std::find(steps.rbegin(), steps.rend(), "remove history.json.bak");
  ASSERT_NE(last_removal, steps.rend());
  const auto removal = steps.rend() - last_removal - 1;
  EXPECT_GT(removal, publish);
  EXPECT_NE(std::find(steps.begin() + publish, steps.begin() + removal, "flush_directory"),
            steps.begin() + removal);
}

}  // namespace
}  // namespace zentomi
