#include "app/main_loop.hpp"

#include <utility>

namespace zentomi {

std::chrono::nanoseconds frame_sleep(std::chrono::nanoseconds elapsed) {
  if (elapsed.count() < 0) elapsed = std::chrono::nanoseconds{0};
  if (elapsed < FRAME_DURATION) return FRAME_DURATION - elapsed;
  return std::chrono::nanoseconds{0};
}

bool dropped_by_start_grace(Button button, std::chrono::nanoseconds since_start) {
  return (button == Button::B || button == Button::Menu) && since_start < START_GRACE;
}

MainLoop::MainLoop(Receiver<WorkerResult>& results, Receiver<Button>& input, Clock& clock,
                   LoopWait& wait, Hooks hooks, std::chrono::nanoseconds longest_wait)
    : results_(results),
      input_(input),
      clock_(clock),
      wait_(wait),
      hooks_(std::move(hooks)),
      longest_wait_(longest_wait) {}

void MainLoop::start() {
  start_time_ = clock_.now();
}

bool MainLoop::run_frame() {
  const std::chrono::nanoseconds frame_start = clock_.now();
  while (std::optional<WorkerResult> result = results_.try_receive()) {
    hooks_.apply_result(std::move(*result));
    ++state_version_;
  }
  while (std::optional<Button> button = input_.try_receive()) {
    if (dropped_by_start_grace(*button, clock_.now() - start_time_)) continue;
    if (hooks_.handle_button(*button)) return false;
    ++state_version_;
  }
  hooks_.draw_and_present(FrameEvents{state_version_, clock_.now()});
  const std::chrono::nanoseconds rhythm = frame_sleep(clock_.now() - frame_start);
  const bool moving = hooks_.moving && hooks_.moving();
  if (moving) {
    if (rhythm.count() > 0) wait_.wait_for(rhythm);
  } else if (longest_wait_ <= FRAME_DURATION) {
    // A loop told to wait no longer than a frame (the simulator's scripts count frames) keeps the
    // old rhythm on its clock.
    if (rhythm.count() > 0) clock_.sleep_for(rhythm);
  } else {
    wait_.wait_for(longest_wait_);
  }
  return true;
}

void MainLoop::run() {
  while (run_frame()) {
  }
}

}  // namespace zentomi
