#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "model/button.hpp"
#include "model/channel.hpp"
#include "model/wake_signal.hpp"
#include "model/worker_result.hpp"
#include "platform/clock.hpp"

namespace zentomi {

inline constexpr std::chrono::nanoseconds FRAME_DURATION{16'666'000};
inline constexpr std::chrono::nanoseconds START_GRACE{1'000'000'000};
// The longest a still screen sleeps: the favourites file is looked at again, and whatever
// changes with time on screen is redrawn, once a second.
inline constexpr std::chrono::nanoseconds LONGEST_WAIT{1'000'000'000};

// How long to sleep after a frame that took `elapsed`; a slow frame is not made up for.
std::chrono::nanoseconds frame_sleep(std::chrono::nanoseconds elapsed);

// Whether a press arriving `since_start` after the loop began is dropped: B and MENU are ignored
// for the first second so a button still held from the launcher cannot end the program at once.
bool dropped_by_start_grace(Button button, std::chrono::nanoseconds since_start);

// What the drawing step of a frame is told.
struct FrameEvents {
  // Counts every result applied and every button handled since the loop began.
  std::uint64_t state_version = 0;
  std::chrono::nanoseconds now{0};
};

// What the loop waits on between frames: it returns once a press, a job result or a cover has
// arrived, or when `timeout` has passed.
class LoopWait {
 public:
  virtual ~LoopWait() = default;
  virtual void wait_for(std::chrono::nanoseconds timeout) = 0;
};

// The real wait: the signal that the loop's queues and the cover worker raise.
class SignalWait final : public LoopWait {
 public:
  explicit SignalWait(std::shared_ptr<WakeSignal> signal) : signal_(std::move(signal)) {}
  void wait_for(std::chrono::nanoseconds timeout) override { signal_->wait_for(timeout); }

 private:
  std::shared_ptr<WakeSignal> signal_;
};

// The loop: all waiting results, then all waiting presses, then the drawing step (which composes
// and presents when the picture can have changed), then a wait for the next news. While something
// on screen moves, the wait ends with the frame (60 frames a second); a still screen sleeps until
// a press, a result or a cover arrives, or `longest_wait` has passed. A press that arrives while
// the loop sleeps ends the sleep: it is handled at once.
class MainLoop {
 public:
  struct Hooks {
    std::function<void(WorkerResult)> apply_result;
    std::function<bool(Button)> handle_button;  // true requests exit
    std::function<void(const FrameEvents&)> draw_and_present;
    std::function<bool()> moving;  // something on screen changes by itself; none: nothing does
  };

  MainLoop(Receiver<WorkerResult>& results, Receiver<Button>& input, Clock& clock, LoopWait& wait,
           Hooks hooks, std::chrono::nanoseconds longest_wait = LONGEST_WAIT);

  // Records the start time that the start-up grace counts from.
  void start();
  // One frame; false when a button requested exit (the rest of that frame is not done).
  bool run_frame();
  // Frames until exit is requested.
  void run();

 private:
  Receiver<WorkerResult>& results_;
  Receiver<Button>& input_;
  Clock& clock_;
  LoopWait& wait_;
  Hooks hooks_;
  std::chrono::nanoseconds longest_wait_;
  std::chrono::nanoseconds start_time_{0};
  std::uint64_t state_version_ = 0;
};

}  // namespace zentomi
