#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "model/button.hpp"
#include "model/channel.hpp"
#include "model/worker_result.hpp"
#include "platform/clock.hpp"

namespace zentomi {

inline constexpr std::chrono::nanoseconds FRAME_DURATION{16'666'000};
inline constexpr std::chrono::nanoseconds START_GRACE{1'000'000'000};

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

// The 60-frames-per-second loop: all waiting results, then all waiting presses, then the drawing
// step (which composes and presents when the picture can have changed), then sleep out the frame.
class MainLoop {
 public:
  struct Hooks {
    std::function<void(WorkerResult)> apply_result;
    std::function<bool(Button)> handle_button;  // true requests exit
    std::function<void(const FrameEvents&)> draw_and_present;
  };

  MainLoop(Receiver<WorkerResult>& results, Receiver<Button>& input, Clock& clock, Hooks hooks);

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
  Hooks hooks_;
  std::chrono::nanoseconds start_time_{0};
  std::uint64_t state_version_ = 0;
};

}  // namespace zentomi
