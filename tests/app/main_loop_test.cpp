#include "app/main_loop.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_clock.hpp"

namespace zentomi {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

TEST(FramePacing, SleepsOutTheRestOfTheFrame) {
  EXPECT_EQ(frame_sleep(nanoseconds{0}), nanoseconds{16'666'000});
  EXPECT_EQ(frame_sleep(milliseconds{10}), nanoseconds{6'666'000});
  EXPECT_EQ(frame_sleep(nanoseconds{16'665'999}), nanoseconds{1});
  EXPECT_EQ(frame_sleep(nanoseconds{16'666'000}), nanoseconds{0});
  EXPECT_EQ(frame_sleep(milliseconds{30}), nanoseconds{0});
  EXPECT_EQ(frame_sleep(milliseconds{1'005}), nanoseconds{0});
}

TEST(StartGrace, DropsOnlyBAndMenuDuringTheFirstSecond) {
  EXPECT_TRUE(dropped_by_start_grace(Button::B, milliseconds{500}));
  EXPECT_TRUE(dropped_by_start_grace(Button::Menu, milliseconds{999}));
  EXPECT_FALSE(dropped_by_start_grace(Button::B, milliseconds{1'000}));
  EXPECT_FALSE(dropped_by_start_grace(Button::B, milliseconds{1'200}));
  EXPECT_FALSE(dropped_by_start_grace(Button::A, milliseconds{0}));
  EXPECT_FALSE(dropped_by_start_grace(Button::Down, milliseconds{10}));
}

// The loop's queue as the tests see it: each wait is recorded and lets its time pass.
struct FakeWait final : LoopWait {
  explicit FakeWait(testing::FakeClock& fake_clock) : clock(fake_clock) {}
  void wait_for(nanoseconds timeout) override {
    waits.push_back(timeout);
    clock.advance(timeout);
  }
  testing::FakeClock& clock;
  std::vector<nanoseconds> waits;
};

// A loop whose hooks write what happens into one journal.
struct LoopHarness {
  testing::FakeClock clock;
  FakeWait wait{clock};
  bool moving = true;
  std::pair<Sender<WorkerResult>, Receiver<WorkerResult>> results = Channel<WorkerResult>::create();
  std::pair<Sender<Button>, Receiver<Button>> input = Channel<Button>::create();
  std::vector<std::string> journal;
  nanoseconds draw_cost{0};
  MainLoop loop{results.second, input.second, clock, wait,
                MainLoop::Hooks{
                    [this](WorkerResult result) {
                      journal.push_back("result " + std::to_string(result.index()));
                    },
                    [this](Button button) {
                      journal.push_back("button " + std::string(button_name(button)));
                      return button == Button::B;
                    },
                    [this](const FrameEvents& frame) {
                      journal.push_back("draw v" + std::to_string(frame.state_version));
                      clock.advance(draw_cost);
                    },
                    [this] { return moving; },
                }};
};

TEST(MainLoop, AppliesEveryResultBeforeAnyInputOfTheSameFrame) {
  LoopHarness h;
  h.loop.start();
  h.input.first.send(Button::Down);
  h.results.first.send(HomeLoaded{});
  h.input.first.send(Button::Down);
  h.results.first.send(UpdateInstallResult{});
  ASSERT_TRUE(h.loop.run_frame());
  EXPECT_EQ(h.journal, (std::vector<std::string>{"result 0", "result 5", "button DOWN",
                                                 "button DOWN", "draw v4"}));
}

TEST(MainLoop, BAtHalfASecondIsIgnoredAndAtOnePointTwoSecondsExits) {
  LoopHarness h;
  h.loop.start();
  h.clock.advance(milliseconds{500});
  h.input.first.send(Button::B);
  EXPECT_TRUE(h.loop.run_frame());
  EXPECT_EQ(h.journal, (std::vector<std::string>{"draw v0"}));

  h.journal.clear();
  h.clock.advance(milliseconds{700});
  h.input.first.send(Button::B);
  h.input.first.send(Button::Down);
  EXPECT_FALSE(h.loop.run_frame());
  // Exit leaves the frame at once: the press after it and the drawing never happen.
  EXPECT_EQ(h.journal, (std::vector<std::string>{"button B"}));
}

TEST(MainLoop, SleepsTheRemainderOfAFastFrameAndNotAfterASlowOne) {
  LoopHarness h;
  h.loop.start();
  h.draw_cost = milliseconds{4};
  ASSERT_TRUE(h.loop.run_frame());
  h.draw_cost = milliseconds{30};
  ASSERT_TRUE(h.loop.run_frame());
  EXPECT_EQ(h.wait.waits, (std::vector<nanoseconds>{nanoseconds{12'666'000}}));
}

// Nothing moves: the loop blocks on its queue until news or the heartbeat, a second later.
TEST(MainLoop, AStillScreenWaitsForNewsUpToASecond) {
  LoopHarness h;
  h.moving = false;
  h.loop.start();
  h.draw_cost = milliseconds{4};
  ASSERT_TRUE(h.loop.run_frame());
  h.input.first.send(Button::Down);
  ASSERT_TRUE(h.loop.run_frame());
  EXPECT_EQ(h.wait.waits, (std::vector<nanoseconds>{LONGEST_WAIT, LONGEST_WAIT}));
  EXPECT_EQ(h.journal, (std::vector<std::string>{"draw v0", "button DOWN", "draw v1"}));
}

// Waits, bounded, until `frames` reaches `count`; then a little longer, to see it stay there.
bool settles_at(const std::atomic<int>& frames, int count) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (frames.load() < count && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(milliseconds{1});
  std::this_thread::sleep_for(milliseconds{50});
  return frames.load() == count;
}

// The real wait: a still loop sleeps far longer than the test lasts, and each source (a press, a
// job result, the cover worker's raise) ends the sleep at once.
TEST(MainLoop, AStillLoopSleepsUntilAPressAResultOrACoverWakesIt) {
  testing::FakeClock clock;
  auto wake = std::make_shared<WakeSignal>();
  SignalWait wait(wake);
  auto [result_sender, results] = Channel<WorkerResult>::create(wake);
  auto [button_sender, buttons] = Channel<Button>::create(wake);
  std::atomic<int> frames{0};
  MainLoop loop(results, buttons, clock, wait,
                MainLoop::Hooks{[](const WorkerResult&) {}, [](Button) { return false; },
                                [&frames](const FrameEvents&) { ++frames; }, [] { return false; }},
                std::chrono::seconds{20});
  loop.start();
  const std::vector<std::function<void()>> sources{
      [&] { button_sender.send(Button::Down); },
      [&] { result_sender.send(HomeLoaded{}); },
      [&] { wake->raise(); },
  };
  std::thread runner([&loop, count = sources.size() + 1] {
    for (std::size_t i = 0; i < count; ++i)
      loop.run_frame();
  });
  for (std::size_t i = 0; i < sources.size(); ++i) {
    EXPECT_TRUE(settles_at(frames, static_cast<int>(i) + 1)) << "asleep before source " << i;
    sources[i]();
  }
  EXPECT_TRUE(settles_at(frames, static_cast<int>(sources.size()) + 1));
  wake->raise();
  runner.join();
}

TEST(MainLoop, ABurstOfPressesIsHandledInOneFrame) {
  LoopHarness h;
  h.loop.start();
  for (int i = 0; i < 20; ++i)
    h.input.first.send(Button::Down);
  ASSERT_TRUE(h.loop.run_frame());
  EXPECT_EQ(h.journal.size(), 21u);
  EXPECT_EQ(h.journal.back(), "draw v20");
}

}  // namespace
}  // namespace zentomi
