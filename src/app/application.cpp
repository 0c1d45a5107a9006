#include "app/application.hpp"

#include <utility>

#include "app/download_services.hpp"
#include "app/job_table.hpp"
#include "app/site_origin_keeping.hpp"
#include "platform/log.hpp"
#include "platform/thread.hpp"
#include "screens/dispatch.hpp"

namespace zentomi {
namespace {

Font load_font_or_stop() {
  std::expected<Font, std::string> font = Font::load_embedded();
  if (!font) stop_program(font.error());
  return std::move(*font);
}

std::string thumbnail_directory(const AppPaths& paths) {
  PosixFileSystem files;
  return choose_thumbnail_directory(files, paths.thumbnail_dir, paths.thumbnail_fallback_dir);
}

}  // namespace

Application::Application(Display display, Receiver<Button> input, Clock& clock,
                         const AppPaths& paths, RedrawMode redraw, LoopWaking waking)
    : Application(std::move(display), std::move(input), clock, paths, redraw, [&waking] {
        std::shared_ptr<WakeSignal> signal =
            waking.signal ? waking.signal : std::make_shared<WakeSignal>();
        auto [sender, receiver] = Channel<WorkerResult>::create(signal);
        return ResultQueueParts{signal, waking.longest_wait, std::move(sender),
                                std::move(receiver)};
      }()) {}

Application::Application(Display display, Receiver<Button> input, Clock& clock,
                         const AppPaths& paths, RedrawMode redraw, ResultQueueParts parts)
    : font_(load_font_or_stop()),
      display_(std::move(display)),
      wake_(std::move(parts.signal)),
      wait_(wake_),
      update_exit_(std::make_shared<UpdateExit>()),
      installs_(std::make_shared<InstallTracker>()),
      input_(std::move(input)),
      results_(std::move(parts.receiver)),
      downloads_(std::make_shared<Downloads>(Store(paths.store).resolve_data_dir())),
      jobs_(std::move(parts.sender),
            [environment = JobEnvironment{.update_endpoints = {},
                                          .install_paths = paths.install,
                                          .end_after_install =
                                              [ending = update_exit_] { ending->end_process(); },
                                          .installs = installs_,
                                          .manga_dir = paths.manga_dir,
                                          .store_paths = paths.store,
                                          .downloads = downloads_,
                                          .download_services = site_download_services()}](
                const JobRequest& request, const JobControl& control) {
              return run_job(request, environment, control);
            }),
      store_(paths.store, StoreSystem{.background_writes = true}),
      covers_(thumbnail_directory(paths),
              [manga_dir = paths.manga_dir](std::string_view address) {
                return card_or_site_bytes(manga_dir, address);
              }),
      services_(store_, covers_, *downloads_),
      state_(make_initial_state(display_.canvas.width(), display_.canvas.height())),
      context_{.jobs = jobs_, .store = store_, .downloads = downloads_.get()},
      redraw_(redraw),
      loop_(results_, input_, clock, wait_,
            MainLoop::Hooks{
                [this](WorkerResult result) {
                  apply_worker_result(state_, std::move(result), context_);
                },
                [this](Button button) { return handle_button(state_, button, context_); },
                [this](const FrameEvents& frame) { draw_if_changed(frame); },
                {},
            },
            parts.longest_wait) {
  // An arriving cover can change a still screen.
  covers_.notify_on_change([wake = wake_] { wake->raise(); });
  update_exit_->attach(store_);
  restore_site_origin(paths.store);
  // The image worker lives for the whole run; it owns what it uses.
  spawn_detached("Thumb", covers_.take_worker());
  jobs_.start(job::Download{});
}

// An install that finishes now must not reach the store as it goes.
Application::~Application() {
  update_exit_->detach();
  downloads_->stop();
}

void Application::draw_if_changed(const FrameEvents& frame) {
  PictureSources sources{covers_.generation(),
                         favorites_.read(store_, frame.state_version, frame.now),
                         downloads_->version(), changes_with_time(covers_, downloads_.get())};
  if (!redraw_.can_differ(frame.state_version, sources, frame.now)) return;
  covers_.begin_frame();
  Renderer renderer{display_.canvas, font_};
  draw_screen(renderer, state_, services_, frame_memory_);
  display_.present();
  redraw_.composed(frame.state_version, std::move(sources), frame.now);
}

void Application::start() {
  jobs_.start(job::HomeListing{});
  jobs_.start(job::UpdateCheck{});
  jobs_.start(job::LocalScan{});
  loop_.start();
}

bool Application::run_frame() {
  if (loop_.run_frame()) return true;
  finish_before_exit();
  return false;
}

void Application::finish_before_exit() {
  if (installs_->close()) {
    // Whatever screen the exit came from, the user sees the install going on.
    state_.screen = Screen::Update;
    Renderer renderer{display_.canvas, font_};
    draw_screen(renderer, state_, services_, frame_memory_);
    display_.present();
    installs_->wait();
  }
  // However the program ends, the last reading position reaches the card first.
  finish_saves(store_);
}

bool Application::idle() const {
  // A queue stopped for want of space waits for the user, not for time.
  const bool downloads_idle =
      downloads_->summary().waiting == 0 || downloads_->stop_message().has_value();
  return jobs_.in_flight() == 0 && results_.empty() && covers_.idle() && downloads_idle;
}

void Application::wait_for_saves() {
  finish_before_exit();
}

int run_guarded(Application& application, const std::function<int()>& loop) {
  try {
    return loop();
  } catch (...) {
    log_line("App", "Main loop stopped by an error: " + current_exception_text());
  }
  try {
    application.wait_for_saves();
  } catch (...) {
    log_line("App", "Saving at the end failed: " + current_exception_text());
  }
  return 1;
}

}  // namespace zentomi
