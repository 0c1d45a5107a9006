#include "platform/thread.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/background_release.hpp"

namespace zentomi {
namespace {

TEST(SpawnDetachedDeathTest, AnEscapingErrorEndsOnlyItsThreadWithALogLine) {
  EXPECT_EXIT(
      {
        spawn_detached("Test", [] { throw std::runtime_error("boom"); });
        std::this_thread::sleep_for(std::chrono::seconds(2));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "\\[Test\\] Thread stopped by an error: boom\n");
}

}  // namespace
}  // namespace zentomi

namespace zentomi {
namespace {

// Records the thread that destroys it.
struct Witness {
  std::promise<std::thread::id>& destroyed_on;
  ~Witness() { destroyed_on.set_value(std::this_thread::get_id()); }
};

TEST(BackgroundRelease, TheLastReferenceIsDroppedOffTheCallingThreadAndAnotherKeepsItAlive) {
  std::promise<std::thread::id> destroyed_on;
  auto future = destroyed_on.get_future();
  std::shared_ptr<const Witness> witness(new Witness{destroyed_on});
  std::shared_ptr<const Witness> kept = witness;
  release_in_background(std::move(witness));
  EXPECT_EQ(witness, nullptr);
  EXPECT_EQ(future.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
      << "still held here";
  release_in_background(std::move(kept));
  ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_NE(future.get(), std::this_thread::get_id());
  release_in_background(nullptr);  // nothing to do
}

}  // namespace
}  // namespace zentomi
