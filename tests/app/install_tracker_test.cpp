#include "app/install_tracker.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "app/job_table.hpp"
#include "support/fake_curl.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

// An install is never overtaken by another request.
class Current final : public JobControl {
 public:
  bool superseded() const override { return false; }
  bool report(WorkerResult) const override { return false; }
};

TEST(InstallTracker, AnInstallThatHasNotBegunWhenTheExitStartsNeverBegins) {
  testing::FakeCurl curl;
  testing::TempDir dir;
  const auto installs = std::make_shared<InstallTracker>();
  EXPECT_FALSE(installs->close()) << "nothing runs yet";
  const JobEnvironment environment{
      .update_endpoints = {},
      .install_paths = {dir / "pkg.zip", dir / "app", dir / "no-link"},
      .end_after_install = [] { ADD_FAILURE() << "no install may end the process"; },
      .installs = installs,
      .manga_dir = {},
      .downloads = nullptr};
  const OtaManifest manifest{"1.2.0", "Z", "C", "https://updates.test/pkg.zip", 1.0f, std::nullopt};
  EXPECT_EQ(run_job(job::Install{manifest}, environment, Current{}), std::nullopt);
  EXPECT_TRUE(curl.command_lines().empty());
  EXPECT_FALSE(installs->close()) << "none is counted as running";
}

TEST(InstallTracker, CloseSaysWhetherAnInstallRuns) {
  InstallTracker installs;
  ASSERT_TRUE(installs.begin());
  EXPECT_TRUE(installs.close());
  EXPECT_FALSE(installs.begin());
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(installs.wait(std::chrono::milliseconds(20))) << "the wait is bounded";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[App] The install is still running; ending without it.\n");
  installs.end();
  EXPECT_TRUE(installs.wait());
  EXPECT_FALSE(installs.close());
}

}  // namespace
}  // namespace zentomi
