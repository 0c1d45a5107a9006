// The console program's own start-up, run as the launcher would: which display and which input
// it brings up. It runs in a private mount namespace with empty /mnt and /dev, so it can write
// nothing to the machine's SD card path and sees only the device files the test puts there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "support/files.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace zentomi {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A regular file stands in for /dev/fb0: it opens, but answers no framebuffer request and maps
// nothing. /dev/null is carried over for the child processes; there are no input nodes.
constexpr const char* PRIVATE_DEVICES =
    "/bin/mount -t tmpfs zentomi-test /mnt && "
    ": > /mnt/null && /bin/mount --bind /dev/null /mnt/null && "
    "/bin/mount -t tmpfs zentomi-dev /dev && "
    ": > /dev/null && /bin/mount --bind /mnt/null /dev/null && "
    ": > /dev/fb0 && exec \"$@\"";

std::vector<std::string> in_private_namespace(std::vector<std::string> argv) {
  argv.insert(argv.begin(), {"unshare", "--mount", "/bin/sh", "-c", PRIVATE_DEVICES, "sh"});
  return argv;
}

class ShippedStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "a private mount namespace needs root";
    const auto probe = testing::run_process(in_private_namespace({"/bin/true"}));
    if (probe.exit_status != 0) {
      GTEST_SKIP() << "no private mount namespace here: " << probe.err;
    }
    testing::write_file(folder_ / "path/curl", "#!/bin/sh\nexit 7\n");
    std::filesystem::permissions(folder_ / "path/curl", std::filesystem::perms::owner_all);
  }

  // The program runs until it is stopped; what it logged by then.
  std::future<testing::ProcessResult> start(std::string simulator) {
    return std::async(std::launch::async, [this, simulator] {
      return testing::run_process(
          in_private_namespace(testing::built_program(ZENTOMI_PATH)),
          {{{"TRIMUI_SIMULATOR", simulator}, {"PATH", (folder_ / "path").string()}},
           folder_.path().string(),
           std::chrono::seconds(3)});
    });
  }

  testing::TempDir folder_;
};

TEST_F(ShippedStartup, ForcedSimulatorOrAFramebufferThatCannotBeMapped) {
  auto forced = start("1");
  auto device = start("0");
  const testing::ProcessResult forced_run = forced.get();
  const testing::ProcessResult device_run = device.get();

  EXPECT_TRUE(forced_run.timed_out) << "ended early: " << forced_run.err;
  EXPECT_THAT(forced_run.err,
              HasSubstr("[Framebuffer] Notice: Could not open /dev/fb0 (Forced simulator mode). "
                        "Initializing Desktop Simulator mode.\n"));
  // /dev/fb0 exists, so only the forced simulator keeps the input thread from starting.
  EXPECT_THAT(forced_run.err, Not(HasSubstr("[Input]")));

  EXPECT_TRUE(device_run.timed_out) << "ended early: " << device_run.err;
  EXPECT_THAT(device_run.err, HasSubstr("[Framebuffer] Warning: mmap /dev/fb0 failed. Running in "
                                        "emulator mode.\n"));
  EXPECT_THAT(device_run.err, Not(HasSubstr("Could not open /dev/fb0")));
  EXPECT_THAT(device_run.err, HasSubstr("[Input] Notice: No evdev event nodes opened.\n"));
}

}  // namespace
}  // namespace zentomi
