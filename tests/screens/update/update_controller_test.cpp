// The update screen's keys and the update jobs' answers.
#include <gtest/gtest.h>

#include <string>

#include "screens/dispatch.hpp"
#include "storage/store.hpp"
#include "support/recording_jobs.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

OtaManifest manifest(std::string version) {
  OtaManifest m;
  m.version = std::move(version);
  m.download_url = "https://updates.example/zentomi-" + m.version + ".zip";
  m.sha256 = "ab";
  return m;
}

struct UpdateHarness {
  UpdateHarness() { state.screen = Screen::Update; }
  bool press(Button button) { return handle_button(state, button, context); }
  void answer(WorkerResult result) { apply_worker_result(state, std::move(result), context); }

  testing::TempDir dir;
  Store store{StorePaths{(dir / "sd").string(), (dir / "local").string()}};
  testing::RecordingJobs jobs;
  AppContext context{jobs, store};
  AppState state = make_initial_state(1280, 720);
};

const std::vector<UpdateStatus>& every_status_but_downloading() {
  static const std::vector<UpdateStatus> statuses = {
      update_status::Idle{}, update_status::Checking{}, update_status::Available{manifest("2.0")},
      update_status::UpToDate{}, update_status::Failed{"Failed to download update package"}};
  return statuses;
}

TEST(UpdateController, WithoutAManifestAYAndStartAllCheckAgainFromEveryStatus) {
  for (const UpdateStatus& status : every_status_but_downloading()) {
    for (const Button button : {Button::A, Button::Y, Button::Start}) {
      UpdateHarness h;
      h.state.update.update_status = status;
      EXPECT_FALSE(h.press(button));
      EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Checking{}));
      EXPECT_EQ(h.jobs.requests, std::vector<JobRequest>{job::UpdateCheck{}})
          << button_name(button) << " in status " << status.index();
      EXPECT_EQ(h.state.screen, Screen::Update);
    }
  }
}

TEST(UpdateController, WithAManifestAInstallsItAndYOrStartCheckAgain) {
  for (const UpdateStatus& status : every_status_but_downloading()) {
    UpdateHarness h;
    h.state.update.update_manifest = manifest("2.0");
    h.state.update.update_status = status;
    h.press(Button::A);
    EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Downloading{}));
    EXPECT_EQ(h.jobs.requests, std::vector<JobRequest>{job::Install{manifest("2.0")}})
        << "the whole manifest travels, so its checksum can be verified";

    UpdateHarness again;
    again.state.update.update_manifest = manifest("2.0");
    again.state.update.update_status = status;
    again.press(Button::Y);
    again.press(Button::Start);
    EXPECT_EQ(again.state.update.update_status, UpdateStatus(update_status::Checking{}));
    EXPECT_EQ(again.jobs.requests,
              (std::vector<JobRequest>{job::UpdateCheck{}, job::UpdateCheck{}}));
  }
}

TEST(UpdateController, BGoesHomeMenuExitsAndOtherKeysDoNothing) {
  UpdateHarness h;
  h.state.update.update_status = update_status::Downloading{};
  h.state.update.update_manifest = manifest("2.0");
  for (const Button button : {Button::Up, Button::Down, Button::Left, Button::Right, Button::X,
                              Button::L1, Button::R1, Button::L2, Button::R2, Button::Select}) {
    EXPECT_FALSE(h.press(button));
  }
  EXPECT_EQ(h.state.screen, Screen::Update);
  EXPECT_TRUE(h.press(Button::Menu));
  EXPECT_FALSE(h.press(Button::B));
  EXPECT_EQ(h.state.screen, Screen::Home);
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Downloading{}))
      << "the download goes on behind the home screen";
  EXPECT_TRUE(h.jobs.requests.empty());
}

TEST(UpdateController, WhileAnInstallRunsAYAndStartDoNothing) {
  UpdateHarness h;
  h.state.update.update_manifest = manifest("2.0");
  h.press(Button::A);
  for (const Button button : {Button::A, Button::Y, Button::Start})
    h.press(button);
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Downloading{}));
  EXPECT_EQ(h.jobs.requests.size(), 1u) << "one install, no second one writing the same package";
}

TEST(UpdateResults, ACheckAnsweringDuringTheInstallOnlyReplacesTheManifest) {
  UpdateHarness h;
  h.state.update.update_manifest = manifest("2.0");
  h.press(Button::A);
  h.answer(UpdateCheckResult{std::optional<OtaManifest>(manifest("2.1"))});
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Downloading{}));
  EXPECT_EQ(h.state.update.update_manifest, manifest("2.1"));
  h.answer(UpdateCheckResult{std::optional<OtaManifest>()});
  h.answer(UpdateCheckResult{std::unexpected(std::string("Failed to reach the server"))});
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Downloading{}));
  EXPECT_EQ(h.state.update.update_manifest, manifest("2.1"));

  // The install's own answer ends the download; the dialog then offers A again.
  h.answer(UpdateInstallResult{update_status::Failed{"Failed to extract update package"}});
  EXPECT_EQ(h.state.update.update_status,
            UpdateStatus(update_status::Failed{"Failed to extract update package"}));
  h.press(Button::A);
  EXPECT_EQ(h.jobs.requests.back(), JobRequest(job::Install{manifest("2.1")}));
}

TEST(UpdateResults, CheckAnswersSetTheStatusAndOnlyANewerVersionTheManifest) {
  UpdateHarness h;
  h.state.screen = Screen::Home;
  ::testing::internal::CaptureStderr();
  h.answer(UpdateCheckResult{std::optional<OtaManifest>(manifest("2.0"))});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[OTA] Update available: v2.0\n");
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::Available{manifest("2.0")}));

  h.answer(UpdateCheckResult{std::unexpected(std::string("Failed to reach the server"))});
  EXPECT_EQ(h.state.update.update_status,
            UpdateStatus(update_status::Failed{"Failed to reach the server"}));
  EXPECT_EQ(h.state.update.update_manifest, manifest("2.0")) << "a known update stays known";

  h.answer(UpdateCheckResult{std::optional<OtaManifest>()});
  EXPECT_EQ(h.state.update.update_status, UpdateStatus(update_status::UpToDate{}));
  EXPECT_EQ(h.state.update.update_manifest, manifest("2.0"));
  EXPECT_EQ(h.state.screen, Screen::Home) << "no answer changes the screen";
}

}  // namespace
}  // namespace zentomi
