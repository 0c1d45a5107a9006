#include "main/job_runner.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zentomi {
namespace {

// Blocks job threads until the test opens it.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = false;
  void wait() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return open; });
  }
  void release() {
    {
      std::lock_guard lock(mutex);
      open = true;
    }
    changed.notify_all();
  }
};

std::optional<WorkerResult> receive_within(Receiver<WorkerResult>& receiver,
                                           std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (auto result = receiver.try_receive()) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return std::nullopt;
}

TEST(ThreadJobRunner, RunsEachJobOnItsOwnThreadAndCountsItUntilItHasReported) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  auto gate = std::make_shared<Gate>();
  ThreadJobRunner runner(sender, [gate](const JobRequest& request) -> std::optional<WorkerResult> {
    gate->wait();
    const auto& page = std::get<job::PageImage>(request);
    return PageImageLoaded{std::unexpected(page.url), page.index, page.chapter_url};
  });
  runner.start(job::PageImage{"u1", 1, ""});
  runner.start(job::PageImage{"u2", 2, ""});
  EXPECT_EQ(runner.in_flight(), 2u);
  EXPECT_TRUE(receiver.empty());
  gate->release();

  std::vector<std::size_t> indexes;
  for (int i = 0; i < 2; ++i) {
    auto result = receive_within(receiver, std::chrono::seconds(10));
    ASSERT_TRUE(result.has_value());
    indexes.push_back(std::get<PageImageLoaded>(*result).page_index);
  }
  std::sort(indexes.begin(), indexes.end());
  EXPECT_EQ(indexes, (std::vector<std::size_t>{1, 2}));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runner.in_flight() != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::yield();
  }
  EXPECT_EQ(runner.in_flight(), 0u);
}

TEST(ThreadJobRunner, AJobWithNothingToSaySendsNothing) {
  auto [sender, receiver] = Channel<WorkerResult>::create();
  ThreadJobRunner runner(sender, [](const JobRequest&) { return std::optional<WorkerResult>{}; });
  runner.start(job::UpdateCheck{});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (runner.in_flight() != 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::yield();
  }
  EXPECT_EQ(runner.in_flight(), 0u);
  EXPECT_TRUE(receiver.empty());
}

}  // namespace
}  // namespace zentomi
