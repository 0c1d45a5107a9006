// Every walk-through of the demo site, on both screen sizes, run in the simulator and compared
// shot by shot, pixel for pixel, with tests/golden/sim/MODEL/SCRIPT/SHOT.png. A new script in
// tools/demo-site is picked up as it is; tools/update-golden.sh writes its references.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/build_config.hpp"
#include "support/files.hpp"
#include "support/golden.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

namespace fs = std::filesystem;

struct Walk {
  std::string model;  // as TRIMUI_DEVICE names it
  fs::path script;
};

void PrintTo(const Walk& walk, std::ostream* out) {
  *out << walk.script.filename().string() << " on " << walk.model;
}

std::vector<Walk> walks() {
  std::vector<fs::path> scripts;
  for (const fs::directory_entry& entry : fs::directory_iterator(ZENTOMI_DEMO_SITE)) {
    if (entry.path().extension() == ".sim") scripts.push_back(entry.path());
  }
  std::sort(scripts.begin(), scripts.end());
  std::vector<Walk> result;
  for (const char* model : {"smartpro", "brick"}) {
    for (const fs::path& script : scripts)
      result.push_back({model, script});
  }
  return result;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  while (at != std::string::npos) {
    text.replace(at, from.size(), to);
    at = text.find(from, at + to.size());
  }
  return text;
}

// A walk-through starts from an empty SD card, or from the files of SCRIPT.sdcard/ beside it,
// in which @ORIGIN@ stands for the site origin this build scrapes (tools/demo.sh does the same).
void lay_out_sdcard(const fs::path& script, const fs::path& sdcard) {
  fs::create_directories(sdcard);
  fs::path overlay = script;
  overlay.replace_extension(".sdcard");
  if (!fs::is_directory(overlay)) return;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(overlay)) {
    if (!entry.is_regular_file()) continue;
    testing::write_file(sdcard / fs::relative(entry.path(), overlay),
                        replace_all(testing::read_file(entry.path()), "@ORIGIN@", SITE_ORIGIN));
  }
}

// The fake curl's one-time failures for a walk-through: the files of SCRIPT.curl/ beside it,
// copied for each run because a failure is used up by the request it fails.
void lay_out_curl_state(const fs::path& script, const fs::path& state) {
  fs::create_directories(state);
  fs::path overlay = script;
  overlay.replace_extension(".curl");
  if (fs::is_directory(overlay)) fs::copy(overlay, state, fs::copy_options::recursive);
}

std::set<std::string> png_names(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code missing;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, missing)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with(".png")) names.insert(entry.path().stem().string());
  }
  return names;
}

// A walk-through that ends the program itself says so in a line "# exit status N"; the others
// end with quit, status 0.
int expected_exit_status(const fs::path& script) {
  std::istringstream lines(testing::read_file(script));
  constexpr std::string_view MARK = "# exit status ";
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(MARK)) return std::stoi(line.substr(MARK.size()));
  }
  return 0;
}

// Runs the walk-through in `folder` (its SD card, fake curl state and shots all go there) and
// checks its exit status.
void run_walk(const Walk& walk, const fs::path& folder, bool always_redraw = false) {
  lay_out_sdcard(walk.script, folder / "sdcard");
  lay_out_curl_state(walk.script, folder / "curl");
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SIM_PATH);
  argv.insert(argv.end(), {"--script", walk.script.string(), "--out", (folder / "shots").string()});
  const char* path = std::getenv("PATH");
  std::map<std::string, std::string> environment{
      {"TRIMUI_DEVICE", walk.model},
      {"ZENTOMI_SDCARD", (folder / "sdcard").string()},
      {"ZENTOMI_FAKE_CURL_STATE", (folder / "curl").string()},
      {"PATH",
       (fs::path(ZENTOMI_DEMO_SITE) / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")}};
  if (always_redraw) environment["ZENTOMI_ALWAYS_REDRAW"] = "1";
  const auto result =
      testing::run_process(argv, {environment, folder.string(), std::chrono::seconds(240)});
  ASSERT_EQ(result.exit_status, expected_exit_status(walk.script)) << result.err;
}

class GoldenFrames : public ::testing::TestWithParam<Walk> {};

TEST_P(GoldenFrames, EveryShotMatchesItsReference) {
  const Walk& walk = GetParam();
  testing::TempDir dir;
  ASSERT_NO_FATAL_FAILURE(run_walk(walk, dir.path()));

  const std::string folder = "sim/" + walk.model + "/" + walk.script.stem().string();
  const std::set<std::string> shots = png_names(dir / "shots");
  ASSERT_FALSE(shots.empty()) << walk.script << " takes no shot";
  for (const std::string& shot : shots) {
    const auto frame = testing::read_png(dir / "shots" / (shot + ".png"));
    ASSERT_TRUE(frame) << "unreadable shot " << shot;
    EXPECT_TRUE(testing::matches_golden(*frame, folder + "/" + shot));
  }
  // A reference whose shot the script no longer takes would otherwise pass unnoticed.
  for (const std::string& reference : png_names(testing::source_dir() / "tests/golden" / folder)) {
    EXPECT_TRUE(shots.contains(reference))
        << "tests/golden/" << folder << "/" << reference
        << ".png has no shot in the script (tools/update-golden.sh removes it)";
  }
}

std::string walk_name(const ::testing::TestParamInfo<Walk>& info) {
  std::string name = info.param.model + "_" + info.param.script.stem().string();
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(DemoSite, GoldenFrames, ::testing::ValuesIn(walks()), walk_name);

// Skipping frames whose picture cannot have changed must never leave a different picture on the
// screen: the longest walk-throughs, drawn both ways, agree at every shot.
TEST(RedrawGate, LongWalksLookTheSameAsWhenEveryFrameIsDrawn) {
  for (const char* script : {"reader.sim", "walkthrough.sim"}) {
    const Walk walk{"smartpro", fs::path(ZENTOMI_DEMO_SITE) / script};
    testing::TempDir dir;
    ASSERT_NO_FATAL_FAILURE(run_walk(walk, dir / "gated"));
    ASSERT_NO_FATAL_FAILURE(run_walk(walk, dir / "always", true));
    const std::set<std::string> shots = png_names(dir / "gated" / "shots");
    ASSERT_EQ(shots, png_names(dir / "always" / "shots"));
    ASSERT_GE(shots.size(), 10u);
    for (const std::string& shot : shots) {
      const auto gated = testing::read_png(dir / "gated" / "shots" / (shot + ".png"));
      const auto always = testing::read_png(dir / "always" / "shots" / (shot + ".png"));
      ASSERT_TRUE(gated && always) << shot;
      EXPECT_TRUE(gated->rgb == always->rgb) << script << ": shot " << shot << " differs";
    }
  }
}

}  // namespace
}  // namespace zentomi
