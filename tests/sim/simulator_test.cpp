// Runs the built zentomi-sim as a user would and checks its screenshots and exit statuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using ::testing::HasSubstr;

struct Png {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;
};

Png read_png(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return png;
  image.format = PNG_FORMAT_RGB;
  png.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr) == 0) return png;
  png.width = image.width;
  png.height = image.height;
  return png;
}

testing::ProcessResult run_sim(const testing::TempDir& dir, const std::string& script,
                               std::map<std::string, std::string> environment = {}) {
  testing::write_file(dir / "script.sim", script);
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SIM_PATH);
  for (const char* argument : {"--script", "", "--out", ""})
    argv.emplace_back(argument);
  argv[argv.size() - 3] = (dir / "script.sim").string();
  argv[argv.size() - 1] = (dir / "shots").string();
  environment.emplace("TRIMUI_DEVICE", "smart pro");
  environment.emplace("ZENTOMI_SDCARD", (dir / "sdcard").string());
  // The simulator reads the demo site through its fake curl, never the network.
  const char* path = std::getenv("PATH");
  environment.emplace("PATH", (testing::source_dir() / "tools/demo-site/bin").string() + ":" +
                                  (path ? path : "/usr/bin:/bin"));
  return testing::run_process(argv, {environment, dir.path().string(), std::chrono::seconds(60)});
}

std::uint32_t rgb_at(const Png& png, std::uint32_t x, std::uint32_t y) {
  const std::size_t i = (static_cast<std::size_t>(y) * png.width + x) * 3;
  return (std::uint32_t{png.rgb[i]} << 16) | (std::uint32_t{png.rgb[i + 1]} << 8) | png.rgb[i + 2];
}

TEST(Simulator, WritesTheFrameAtTheDefaultSize) {
  testing::TempDir dir;
  const auto result = run_sim(dir, "frames 2\nshot first\nquit\n");
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("Starting Enhanced ZENTOMI for TrimUI (60 FPS)"));
  const Png png = read_png((dir / "shots" / "first.png").string());
  ASSERT_EQ(png.width, 1280u);
  ASSERT_EQ(png.height, 720u);
  // Header bar with its accent rows, then the frame background beside and below the cards (the
  // listing may or may not have arrived by the second frame), as opaque RGB.
  EXPECT_EQ(rgb_at(png, 5, 5), 0x050811u);
  EXPECT_EQ(rgb_at(png, 640, 50), 0xE11D48u);
  EXPECT_EQ(rgb_at(png, 1279, 51), 0xE11D48u);
  EXPECT_EQ(rgb_at(png, 5, 60), 0x0B0F19u);
  EXPECT_EQ(rgb_at(png, 10, 400), 0x0B0F19u);
}

TEST(Simulator, BrickModelGivesTheSmallerScreen) {
  testing::TempDir dir;
  const auto result = run_sim(dir, "frames 1\nshot brick\n", {{"TRIMUI_DEVICE", "TrimUI BRICK"}});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  const Png png = read_png((dir / "shots" / "brick.png").string());
  EXPECT_EQ(png.width, 1024u);
  EXPECT_EQ(png.height, 768u);
}

TEST(Simulator, ScriptErrorsStopBeforeAnyFrameWithStatusTwo) {
  testing::TempDir dir;
  const auto result = run_sim(dir, "shot early\nfrobnicate\n");
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_THAT(result.err, HasSubstr("line 2: unknown command 'frobnicate'"));
  EXPECT_THAT(result.err, ::testing::Not(HasSubstr("Starting Enhanced")));
  EXPECT_FALSE(std::filesystem::exists(dir / "shots" / "early.png"));
}

TEST(Simulator, BAfterTheGraceEndsTheProgramWithStatusZero) {
  testing::TempDir dir;
  // The first B falls inside the one-second grace and is dropped; the shot after it is taken.
  const auto result =
      run_sim(dir, "press B\nframes 1\nshot kept\nwait 1100\npress B\nframes 1\nshot never\n");
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("[App] Clean exit to MainUI via Button B.\n"));
  EXPECT_TRUE(std::filesystem::exists(dir / "shots" / "kept.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "shots" / "never.png"));
}

TEST(Simulator, LoadsTheHomeListingFromTheDemoSite) {
  testing::TempDir dir;
  const std::string log = (dir / "curl.log").string();
  const auto loaded = run_sim(dir, "settle\nquit\n", {{"ZENTOMI_FAKE_CURL_LOG", log}});
  ASSERT_EQ(loaded.exit_status, 0) << loaded.err;
  EXPECT_THAT(loaded.err, ::testing::Not(HasSubstr("error")));
  EXPECT_THAT(testing::read_file(log), HasSubstr("/trang-chu\"]\n"));

  const auto offline = run_sim(dir, "settle\nquit\n", {{"ZENTOMI_FAKE_CURL_ACTION", "exit 28"}});
  ASSERT_EQ(offline.exit_status, 0) << offline.err;
  EXPECT_THAT(offline.err,
              HasSubstr("[NetTruyen] Home load error: Network error: exit code Some(28)\n"));
}

TEST(Simulator, UsageErrors) {
  auto missing = testing::run_process(testing::built_program(ZENTOMI_SIM_PATH));
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_THAT(missing.err, HasSubstr("usage: zentomi-sim --script FILE --out DIR [--window]"));
}

testing::ProcessResult run_windowed(const testing::TempDir& dir, const std::string& script,
                                    std::vector<std::string> argv) {
  testing::write_file(dir / "s.sim", script);
  for (const std::string& a :
       {std::string("--window"), std::string("--script"), (dir / "s.sim").string(),
        std::string("--out"), (dir / "out").string()}) {
    argv.push_back(a);
  }
  return testing::run_process(
      argv, {{{"SDL_VIDEODRIVER", "dummy"}, {"ZENTOMI_SDCARD", (dir / "sdcard").string()}},
             dir.path().string(),
             std::chrono::seconds(60)});
}

#ifdef ZENTOMI_HAVE_SDL2
// A script without quit hands over to the keyboard; SDL turns the end signal into the same
// request as the window's close button, and the run ends with status 0.
TEST(Simulator, WindowPrintsItsKeysAndClosingEndsWithStatusZero) {
  testing::TempDir dir;
  std::vector<std::string> argv{"timeout", "--preserve-status", "-s", "TERM", "3"};
  for (std::string& part : testing::built_program(ZENTOMI_SIM_PATH))
    argv.push_back(std::move(part));
  const auto closed = run_windowed(dir, "frames 1\nshot first\n", argv);
  EXPECT_EQ(closed.exit_status, 0) << closed.err;
  EXPECT_THAT(closed.err, HasSubstr("[Sim]   UP: Up arrow, D-pad up\n"));
  EXPECT_THAT(closed.err, HasSubstr("[Sim]   MENU: Escape, Guide\n"));
  EXPECT_THAT(closed.err, HasSubstr("[Sim] Window closed.\n"));
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "first.png"));

  const auto quit = run_windowed(dir, "frames 1\nquit\n", testing::built_program(ZENTOMI_SIM_PATH));
  EXPECT_EQ(quit.exit_status, 0) << quit.err;
  EXPECT_THAT(quit.err, ::testing::Not(HasSubstr("Window closed")));
}
#else
TEST(Simulator, WindowSaysThisBuildHasNone) {
  testing::TempDir dir;
  const auto windowed = run_windowed(dir, "frames 1\n", testing::built_program(ZENTOMI_SIM_PATH));
  EXPECT_EQ(windowed.exit_status, 0) << windowed.err;
  EXPECT_THAT(windowed.err, HasSubstr("--window: this build has no window"));
}
#endif

// The product's own install path, start to end, by the demo's update walk-through: the start-up
// check finds the demo site's newer version, START opens its dialog, A downloads the package
// through the fake curl, unzips it into the simulated SD card and ends the process with 42.
TEST(Simulator, InstallsTheDemoUpdateAndEndsWithStatus42) {
  testing::TempDir dir;
  const auto result =
      run_sim(dir, testing::read_file(testing::source_dir() / "tools/demo-site/update.sim"));
  ASSERT_EQ(result.exit_status, 42) << result.err;
  EXPECT_THAT(result.err, HasSubstr("[OTA] Update available: v1.0.2\n"));
  EXPECT_THAT(result.err,
              ::testing::EndsWith("[OTA] Update successfully applied! Restarting Zentomi...\n"));
  const std::filesystem::path app = dir / "sdcard" / "Apps" / "zentomi";
  EXPECT_THAT(testing::read_file(app / "bin" / "zentomi-native64"), HasSubstr("demo update 1.0.2"));
  const auto launch = std::filesystem::status(app / "launch.sh").permissions();
  EXPECT_NE(launch & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
  EXPECT_FALSE(std::filesystem::exists(dir / "sdcard" / "zentomi-update.zip"));
  EXPECT_FALSE(std::filesystem::exists(app / "zentomi-update.zip"));

  const Png png = read_png((dir / "shots" / "20-update-dialog.png").string());
  ASSERT_EQ(png.width, 1280u);
  EXPECT_EQ(rgb_at(png, 940, 204), 0xE11D48u) << "the update dialog's band";
}

}  // namespace
}  // namespace zentomi
