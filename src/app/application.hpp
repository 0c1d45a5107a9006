#pragma once

#include <functional>
#include <memory>

#include "app/app_paths.hpp"
#include "app/application_services.hpp"
#include "app/install_tracker.hpp"
#include "app/job_runner.hpp"
#include "app/main_loop.hpp"
#include "app/redraw_gate.hpp"
#include "app/update_exit.hpp"
#include "draw/canvas.hpp"
#include "draw/font.hpp"
#include "images/cover_cache.hpp"
#include "library/downloads.hpp"
#include "model/app_state.hpp"
#include "model/button.hpp"
#include "model/channel.hpp"
#include "model/worker_result.hpp"
#include "platform/clock.hpp"
#include "screens/common/app_context.hpp"
#include "screens/dispatch.hpp"
#include "storage/store.hpp"

namespace zentomi {

// How the main loop waits between frames: the signal its queues raise (the input queue's senders
// included, so start-up makes it before that queue), and the longest a still screen sleeps. The
// default keeps the frame rhythm, as the simulator's scripts count frames.
struct LoopWaking {
  std::shared_ptr<WakeSignal> signal;  // made here when none
  std::chrono::nanoseconds longest_wait = FRAME_DURATION;
};

// Everything start-up builds after the display and the input queue, shared by zentomi and
// zentomi-sim: the font, the cover cache with its image worker, the worker result queue, the job
// runner, the stores, the state and the main loop.
class Application {
 public:
  struct Display {
    Canvas& canvas;
    std::function<void()> present;
  };

  // Parses the embedded font first: a font that does not parse stops the program before any job
  // starts or any frame is drawn.
  Application(Display display, Receiver<Button> input, Clock& clock, const AppPaths& paths = {},
              RedrawMode redraw = RedrawMode::WhenChanged, LoopWaking waking = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Starts the first background jobs (the home listing, then an update check that leaves the
  // update status alone until it answers) and records the start time of the main loop.
  void start();
  // One frame of the main loop; false once exit was requested.
  bool run_frame();
  // No job in flight, no result waiting to be applied and no cover pending.
  bool idle() const;
  // Waits for a running install and then for the pending store save, as every way out of the
  // program does: for an end the main loop does not see, such as a desktop window being closed.
  void wait_for_saves();

  const AppState& state() const { return state_; }
  const Canvas& canvas() const { return display_.canvas; }

 private:
  struct ResultQueueParts {
    std::shared_ptr<WakeSignal> signal;
    std::chrono::nanoseconds longest_wait;
    Sender<WorkerResult> sender;
    Receiver<WorkerResult> receiver;
  };
  Application(Display display, Receiver<Button> input, Clock& clock, const AppPaths& paths,
              RedrawMode redraw, ResultQueueParts parts);
  void draw_if_changed(const FrameEvents& frame);
  // Every way out: a running install finishes first (the update dialog shows it downloading
  // meanwhile), then the last reading position reaches the card.
  void finish_before_exit();

  Font font_;
  Display display_;
  std::shared_ptr<WakeSignal> wake_;
  SignalWait wait_;
  std::shared_ptr<UpdateExit> update_exit_;
  std::shared_ptr<InstallTracker> installs_;
  Receiver<Button> input_;
  Receiver<WorkerResult> results_;
  // Shared with the jobs: the download job, which lives for the whole run, and the readers of
  // downloaded chapters.
  std::shared_ptr<Downloads> downloads_;
  ThreadJobRunner jobs_;
  Store store_;
  CoverCache covers_;
  ApplicationServices services_;
  AppState state_;
  AppContext context_;
  RedrawGate redraw_;
  FrameMemory frame_memory_;
  FavoritesWatch favorites_;
  MainLoop loop_;
};

// Runs a program's main loop and gives its status. An exception that escapes it (from a press, a
// result or a frame) is logged, the pending save still reaches the card, and the status is 1.
int run_guarded(Application& application, const std::function<int()>& loop);

}  // namespace zentomi
