// The desktop window under SDL's dummy video driver: key events pushed through SDL's own queue
// drive the whole application, and every composed frame reaches the window.
#include "window.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/app_paths.hpp"
#include "app/application.hpp"
#include "draw/canvas.hpp"
#include "platform/clock.hpp"
#include "script.hpp"
#include "simulator.hpp"
#include "support/files.hpp"
#include "support/golden.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi::sim {
namespace {

std::vector<ScriptLine> script(std::string_view text) {
  auto parsed = parse_script(text);
  EXPECT_TRUE(parsed.has_value());
  return parsed.value_or(std::vector<ScriptLine>{});
}

void push_key(SDL_Keycode key) {
  for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
}

// The same presses as a script, headless, through the built simulator.
testing::RgbImage headless_shot(const testing::TempDir& dir, const std::string& text) {
  testing::write_file(dir / "headless.sim", text);
  std::vector<std::string> argv = testing::built_program(ZENTOMI_SIM_PATH);
  argv.insert(argv.end(),
              {"--script", (dir / "headless.sim").string(), "--out", (dir / "headless").string()});
  const auto result = testing::run_process(
      argv, {{{"TRIMUI_DEVICE", "smart pro"}, {"ZENTOMI_SDCARD", (dir / "headless-sd").string()}},
             dir.path().string(),
             std::chrono::seconds(60)});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  return testing::read_png(dir / "headless" / "after.png").value_or(testing::RgbImage{});
}

// Nothing when the pictures are equal, else where they first differ.
std::optional<std::string> difference(const testing::RgbImage& a, const testing::RgbImage& b) {
  if (a.width != b.width || a.height != b.height) {
    return "sizes " + std::to_string(a.width) + "x" + std::to_string(a.height) + " and " +
           std::to_string(b.width) + "x" + std::to_string(b.height);
  }
  for (std::uint32_t y = 0; y < a.height; ++y) {
    for (std::uint32_t x = 0; x < a.width; ++x) {
      if (a.pixel(x, y) != b.pixel(x, y))
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
  }
  return std::nullopt;
}

// What the window shows, one sample per canvas pixel.
testing::RgbImage window_pixels(const Window& window, int width, int height) {
  SDL_Renderer* renderer = SDL_GetRenderer(window.handle());
  const int scale = window.scale();
  std::vector<std::uint32_t> shown(static_cast<std::size_t>(width) * height * scale * scale);
  EXPECT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shown.data(),
                                 width * scale * 4),
            0)
      << SDL_GetError();
  std::vector<std::uint32_t> samples;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      samples.push_back(shown[static_cast<std::size_t>(y) * scale * width * scale + x * scale]);
  }
  return testing::rgb_from_argb(samples.data(), width, height);
}

TEST(Window, KeysFromSdlsQueueMoveTheHomeSelectionAndClosingEndsWithStatusZero) {
  testing::TempDir dir;
  auto opened = Window::open(1280, 720);
  ASSERT_TRUE(opened.has_value()) << opened.error();
  Window& window = **opened;
  int window_width = 0;
  int window_height = 0;
  SDL_GetWindowSize(window.handle(), &window_width, &window_height);
  EXPECT_EQ(window_width, 1280 * window.scale());
  EXPECT_EQ(window_height, 720 * window.scale());

  Canvas canvas(1280, 720);
  auto [buttons, input] = Channel<Button>::create();
  SteadyClock clock;
  Application application({canvas, [&] { window.present(canvas); }}, std::move(input), clock,
                          AppPaths::under_sdcard((dir / "sdcard").string()));
  application.start();
  std::filesystem::create_directories(dir / "shots");
  Simulator simulator(application, buttons, dir / "shots", [&] { return window.poll(buttons); });

  ASSERT_EQ(simulator.run_script(script("settle\nshot before\n")), std::nullopt);
  ASSERT_EQ(application.state().home.home_selected, 0u);
  push_key(SDLK_DOWN);
  push_key(SDLK_RIGHT);
  ASSERT_EQ(simulator.run_script(script("settle\nshot after\n")), std::nullopt);
  EXPECT_EQ(application.state().home.home_selected, application.state().home.grid_columns + 1);

  const auto before = testing::read_png(dir / "shots" / "before.png");
  const auto after = testing::read_png(dir / "shots" / "after.png");
  ASSERT_TRUE(before && after);
  EXPECT_NE(difference(*before, *after), std::nullopt);
  EXPECT_EQ(difference(*after,
                       headless_shot(dir, "settle\npress DOWN\npress RIGHT\nsettle\nshot after\n")),
            std::nullopt)
      << "the window run draws what the same presses draw headless";
  EXPECT_EQ(difference(*after, window_pixels(window, 1280, 720)), std::nullopt)
      << "the window shows the frame";

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  EXPECT_EQ(simulator.run_until_closed(), 0);
}

TEST(Window, ScaleIsTheLargestWholeFactorThatFits) {
  EXPECT_EQ(window_scale(1280, 720, 3840, 2160), 3);
  EXPECT_EQ(window_scale(1280, 720, 2560, 1400), 1) << "the height decides";
  EXPECT_EQ(window_scale(1024, 768, 2560, 1600), 2);
  EXPECT_EQ(window_scale(1280, 720, 800, 600), 1) << "never below 1";
}

}  // namespace
}  // namespace zentomi::sim
