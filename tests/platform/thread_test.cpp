#include "platform/thread.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

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
