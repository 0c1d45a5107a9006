#include "main/application.hpp"

#include <utility>

#include "graphics/screens.hpp"
#include "main/controllers.hpp"
#include "main/job_functions.hpp"
#include "main/worker_results.hpp"
#include "nettruyen/fetch.hpp"
#include "platform/log.hpp"
#include "platform/thread.hpp"

namespace zentomi {
namespace {

constexpr std::chrono::milliseconds SAVE_WAIT_LIMIT{2000};

Font load_font_or_stop() {
  std::expected<Font, std::string> font = Font::load_embedded();
  if (!font) stop_program(font.error());
  return std::move(*font);
}

}  // namespace

Application::Application(Display display, Receiver<Button> input, Clock& clock,
                         const AppPaths& paths)
    : Application(std::move(display), std::move(input), clock, paths, [] {
        auto [sender, receiver] = Channel<WorkerResult>::create();
        return ResultQueueParts{std::move(sender), std::move(receiver)};
      }()) {}

Application::Application(Display display, Receiver<Button> input, Clock& clock,
                         const AppPaths& paths, ResultQueueParts parts)
    : font_(load_font_or_stop()),
      display_(std::move(display)),
      input_(std::move(input)),
      results_(std::move(parts.receiver)),
      jobs_(std::move(parts.sender), &run_job),
      store_(paths.store, StoreSystem{.background_writes = true}),
      covers_(choose_thumbnail_directory(paths.thumbnail_dir, paths.thumbnail_fallback_dir),
              fetch_bytes),
      services_(store_, covers_),
      state_(make_initial_state(display_.canvas.width(), display_.canvas.height())),
      context_{jobs_, store_},
      loop_(results_, input_, clock,
            MainLoop::Hooks{
                [this](WorkerResult result) {
                  apply_worker_result(state_, std::move(result), context_);
                },
                [this](Button button) { return handle_button(state_, button, context_); },
                [this] {
                  Renderer renderer{display_.canvas, font_};
                  draw_screen(renderer, state_, services_);
                  display_.present();
                },
            }) {
  // The image worker lives for the whole run; it owns what it uses.
  spawn_detached("Thumb", covers_.take_worker());
}

Application::~Application() = default;

void Application::start() {
  jobs_.start(job::HomeListing{});
  loop_.start();
}

bool Application::run_frame() {
  if (loop_.run_frame()) return true;
  // However the program ends, the last reading position reaches the card first.
  if (!store_.wait_for_saves(SAVE_WAIT_LIMIT)) {
    std::fputs("[App] Pending store save did not finish in time\n", stderr);
  }
  return false;
}

bool Application::idle() const {
  return jobs_.in_flight() == 0 && results_.empty() && covers_.idle();
}

}  // namespace zentomi
