// The whole application with the demo site's fake curl as its network.
#include "app/application.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "draw/canvas.hpp"
#include "model/build_config.hpp"
#include "support/fake_clock.hpp"
#include "support/fake_curl.hpp"
#include "support/files.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

// Runs frames until the start-up work has reported, for at most ten seconds of real time.
bool run_until_idle(Application& application) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    if (application.idle()) return true;
    application.run_frame();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

struct Harness {
  testing::TempDir dir;
  testing::FakeClock clock;
  Canvas canvas{1280, 720};
  int presents = 0;
  std::pair<Sender<Button>, Receiver<Button>> input = Channel<Button>::create();
  Sender<Button> buttons = std::move(input.first);
  Application application{{canvas, [this] { ++presents; }},
                          std::move(input.second),
                          clock,
                          AppPaths::under_sdcard(dir.path().string())};
};

void serve_front_page_and_manifest(testing::FakeCurl& curl) {
  const std::filesystem::path site = testing::source_dir() / "tools/demo-site/site";
  curl.serve("trang-chu", testing::read_file(site / "trang-chu"));
  curl.serve("ota/zentomi.json", testing::read_file(site / "ota/zentomi.json"));
}

TEST(Application, StartsWithTheFrontPageListingAndAnUpdateCheck) {
  testing::FakeCurl curl;
  serve_front_page_and_manifest(curl);
  Harness h;
  ::testing::internal::CaptureStderr();
  h.application.start();
  EXPECT_TRUE(h.application.state().home.home_loading);
  EXPECT_EQ(h.application.state().update.update_status, UpdateStatus(update_status::Idle{}))
      << "the start-up check leaves the status alone until it answers";
  ASSERT_TRUE(run_until_idle(h.application));
  const std::string log = ::testing::internal::GetCapturedStderr();

  const AppState& state = h.application.state();
  EXPECT_FALSE(state.home.home_loading);
  ASSERT_EQ(state.home.all_items.size(), 14u);
  EXPECT_EQ(state.home.all_items.front().title, "Kiếm Khách Mùa Thu");
  EXPECT_EQ(state.home.all_items.back().title, "Ngôi Sao Cuối Cùng");
  EXPECT_EQ(state.home.displayed_items, state.home.all_items);
  EXPECT_EQ(state.home.source_items, state.home.all_items);
  EXPECT_EQ(log.find("error"), std::string::npos) << log;
  ASSERT_TRUE(state.update.update_manifest.has_value());
  EXPECT_EQ(state.update.update_manifest->version, "1.0.2");
  EXPECT_EQ(state.update.update_status,
            UpdateStatus(update_status::Available{*state.update.update_manifest}));
  EXPECT_EQ(state.screen, Screen::Home);
  // The listing and the manifest are fetched once each; every other request is a cover of the
  // first visible row.
  const std::string listing = std::string(SITE_ORIGIN) + "/trang-chu";
  const std::string manifest = std::string(UPDATE_ORIGIN) + "/ota/zentomi.json";
  std::size_t listings = 0;
  std::size_t manifests = 0;
  for (const auto& command_line : curl.command_lines()) {
    if (command_line.back() == listing) {
      ++listings;
    } else if (command_line.back() == manifest) {
      ++manifests;
    } else {
      EXPECT_EQ(command_line[7], "20") << "covers use the image time limit";
    }
  }
  EXPECT_EQ(listings, 1u);
  EXPECT_EQ(manifests, 1u);
}

TEST(Application, LogsAFailedListingAndStopsLoading) {
  testing::FakeCurl curl("exit 28");
  Harness h;
  ::testing::internal::CaptureStderr();
  h.application.start();
  ASSERT_TRUE(run_until_idle(h.application));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("[NetTruyen] Home load error: Network error: exit code Some(28)\n"),
            std::string::npos)
      << log;
  EXPECT_FALSE(h.application.state().home.home_loading);
  EXPECT_TRUE(h.application.state().home.all_items.empty());
}

TEST(Application, PresentsNothingDuringAStillSecondButTheHeartbeat) {
  testing::FakeCurl curl;  // the covers fail, and wait out their back-off
  serve_front_page_and_manifest(curl);
  Harness h;
  ::testing::internal::CaptureStderr();
  h.application.start();
  ASSERT_TRUE(run_until_idle(h.application));
  // Counted from a presented frame: within a second at most, the heartbeat presents one.
  h.presents = 0;
  for (int i = 0; i < 61 && h.presents == 0; ++i)
    h.application.run_frame();
  ASSERT_EQ(h.presents, 1);

  h.presents = 0;
  for (int i = 0; i < 120; ++i)  // two seconds of the fake clock
    h.application.run_frame();
  EXPECT_EQ(h.presents, 1) << "only the heartbeat, a second after the last frame";

  h.presents = 0;
  h.buttons.send(Button::Right);
  h.application.run_frame();
  EXPECT_EQ(h.presents, 1) << "a press that moves the selection";
  h.application.run_frame();
  EXPECT_EQ(h.presents, 1);
  ::testing::internal::GetCapturedStderr();
}

// The exit comes from the home screen while the install downloads; the package then fails its
// checksum, so the install ends with a message instead of ending the test's process.
TEST(Application, AnExitWaitsForTheRunningInstallAndShowsIt) {
  testing::FakeCurl curl;
  serve_front_page_and_manifest(curl);
  curl.serve("ota/zentomi-1.0.2.zip", "not the package");
  curl.serve("ota/zentomi-1.0.2.zip.action", "delay 1.5");
  Harness h;
  ::testing::internal::CaptureStderr();
  h.application.start();
  ASSERT_TRUE(run_until_idle(h.application));
  h.clock.advance(std::chrono::seconds(2));  // past the start-up grace for B and MENU
  h.buttons.send(Button::Start);
  h.application.run_frame();
  h.buttons.send(Button::A);
  h.application.run_frame();
  const std::string package_url = "https://zentomi.pages.dev/ota/zentomi-1.0.2.zip";
  const auto downloading = [&] {
    for (const auto& command_line : curl.command_lines())
      if (command_line.back() == package_url) return true;
    return false;
  };
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!downloading() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(downloading());

  h.buttons.send(Button::B);
  h.application.run_frame();
  ASSERT_EQ(h.application.state().screen, Screen::Home);
  h.presents = 0;
  h.buttons.send(Button::Menu);
  const auto pressed = std::chrono::steady_clock::now();
  EXPECT_FALSE(h.application.run_frame());
  const auto waited = std::chrono::steady_clock::now() - pressed;
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_GE(waited, std::chrono::milliseconds(1000)) << log;
  EXPECT_FALSE(std::filesystem::exists(h.dir / "zentomi-update.zip"));
  EXPECT_EQ(h.application.state().screen, Screen::Update);
  EXPECT_EQ(h.presents, 1) << "the downloading dialog, drawn before the wait";
}

// An error escaping the loop is logged instead of ending in std::terminate, and the saves are
// still waited for.
TEST(Application, AnErrorThatEscapesTheLoopIsLoggedAndEndsWithStatusOne) {
  testing::FakeCurl curl;
  Harness h;
  EXPECT_EQ(run_guarded(h.application, [] { return 42; }), 42);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(run_guarded(h.application, []() -> int { throw std::runtime_error("boom"); }), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] Main loop stopped by an error: boom\n");
}

}  // namespace
}  // namespace zentomi
