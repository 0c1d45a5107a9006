#include "app/startup.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "model/app_state.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

TEST(ModelDetection, ModelFileIsTrimmedAndLowerCased) {
  EXPECT_TRUE(detect_brick("   TrimUI Brick\n", std::nullopt));
  EXPECT_FALSE(detect_brick("TrimUI Smart Pro\n", std::nullopt));
  EXPECT_TRUE(detect_brick("BRICK", std::nullopt));
}

TEST(ModelDetection, VariableIsReadOnlyWhenTheFileIsUnreadable) {
  EXPECT_TRUE(detect_brick(std::nullopt, "BRICK"));
  EXPECT_FALSE(detect_brick(std::nullopt, "smartpro"));
  EXPECT_FALSE(detect_brick(std::nullopt, std::nullopt));
  // A file that names another model wins over a variable that says brick.
  EXPECT_FALSE(detect_brick("TrimUI Smart Pro", "brick"));
  // A file that is not UTF-8 text cannot be read as text, so the variable decides.
  EXPECT_TRUE(detect_brick("\xFF\xFE", "Brick"));
  // A variable that is not UTF-8 counts as unset.
  EXPECT_FALSE(detect_brick(std::nullopt, "brick\xFF"));
}

TEST(ModelDetection, LowerCasingIsUnicodeAware) {
  // U+212A KELVIN SIGN lower-cases to the letter k.
  EXPECT_TRUE(detect_brick(std::nullopt, "BRIC\u212A"));
}

TEST(ModelDetection, GeometryFollowsTheModel) {
  EXPECT_EQ(default_screen_size(true), (ScreenSize{1024, 768}));
  EXPECT_EQ(default_screen_size(false), (ScreenSize{1280, 720}));
}

TEST(SimulatorRule, OnlyOneOrTrueInAnyCase) {
  EXPECT_TRUE(simulator_forced_by("1"));
  EXPECT_TRUE(simulator_forced_by("true"));
  EXPECT_TRUE(simulator_forced_by("TRUE"));
  EXPECT_TRUE(simulator_forced_by("True"));
  EXPECT_FALSE(simulator_forced_by("yes"));
  EXPECT_FALSE(simulator_forced_by("01"));
  EXPECT_FALSE(simulator_forced_by("0"));
  EXPECT_FALSE(simulator_forced_by(" 1"));
  EXPECT_FALSE(simulator_forced_by(""));
  EXPECT_FALSE(simulator_forced_by(std::nullopt));
}

TEST(Banner, IsFourLinesWithIdenticalRules) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  print_banner(out);
  std::fclose(out);
  const std::string text(buffer, size);
  std::free(buffer);
  const std::string rule(49, '=');
  EXPECT_EQ(
      text,
      rule +
          "\n \xF0\x9F\x9A\x80 Starting Enhanced ZENTOMI for TrimUI (60 FPS)\n Version: 1.0.1\n" +
          rule + "\n");
}

TEST(InitialState, MatchesTheDocumentedStart) {
  const AppState wide = make_initial_state(1280, 720);
  EXPECT_EQ(wide.screen, Screen::Home);
  EXPECT_EQ(wide.home.grid_columns, 5u);
  EXPECT_TRUE(wide.home.grid_view);
  EXPECT_TRUE(wide.home.home_loading);
  EXPECT_TRUE(wide.reader.hud_visible);
  EXPECT_FALSE(wide.home.favorites_only);
  EXPECT_EQ(wide.home.sort_mode, SortMode::Latest);
  EXPECT_TRUE(std::holds_alternative<update_status::Idle>(wide.update.update_status));
  EXPECT_FALSE(wide.update.update_manifest.has_value());
  EXPECT_EQ(make_initial_state(1024, 768).home.grid_columns, 4u);
  EXPECT_EQ(make_initial_state(1200, 768).home.grid_columns, 5u);
  EXPECT_EQ(make_initial_state(1199, 768).home.grid_columns, 4u);
}

TEST(ModelDetection, AFolderAtTheModelFilePathLeavesTheVariableInCharge) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "trimui_device.txt");
  EXPECT_EQ(read_model_file((dir / "trimui_device.txt").string()), std::nullopt);
  EXPECT_TRUE(detect_brick(read_model_file((dir / "trimui_device.txt").string()), "brick"));
  testing::write_file(dir / "model", "TrimUI Smart Pro\n");
  EXPECT_FALSE(detect_brick(read_model_file((dir / "model").string()), "brick"));
}

}  // namespace
}  // namespace zentomi
