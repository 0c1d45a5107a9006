// zentomi: the reader as it runs on the console.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "app/app_paths.hpp"
#include "app/application.hpp"
#include "app/startup.hpp"
#include "device/framebuffer.hpp"
#include "device/input_thread.hpp"
#include "model/channel.hpp"
#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "platform/memory.hpp"
#include "platform/thread.hpp"

namespace {

int run_zentomi() {
  using namespace zentomi;
  print_banner(stderr);
  if (finish_interrupted_install(AppPaths{}.install)) return UPDATE_EXIT_STATUS;
  const bool brick = detect_brick(read_model_file(), environment_variable("TRIMUI_DEVICE"));
  const ScreenSize size = default_screen_size(brick);
  Framebuffer framebuffer = Framebuffer::open(
      size.width, size.height,
      {"/dev/fb0", simulator_forced_by(environment_variable("TRIMUI_SIMULATOR"))});

  // Start-up keeps no sending end: the queue is fed by the input thread alone. The simulator
  // variable is read afresh; without the device there are no buttons to read either.
  // The input thread, the job results and the cover worker all wake the main loop.
  auto wake = std::make_shared<WakeSignal>();
  auto [input_sender, input_receiver] = Channel<Button>::create(wake);
  std::shared_ptr<const input::InputStop> input_stop;
  if (!simulator_forced_by(environment_variable("TRIMUI_SIMULATOR")) && path_exists("/dev/fb0")) {
    input_stop = input::spawn_input_thread(input_sender);
  }
  input_sender = {};

  SteadyClock clock;
  Application application({framebuffer.canvas(), [&framebuffer] { framebuffer.present(); }},
                          std::move(input_receiver), clock, AppPaths{},
                          redraw_mode_from(environment_variable("ZENTOMI_ALWAYS_REDRAW")),
                          LoopWaking{wake, LONGEST_WAIT});
  const int status = run_guarded(application, [&application] {
    application.start();
    while (application.run_frame()) {
    }
    return 0;
  });
  // The input thread sleeps in poll until a press or this.
  if (input_stop) input_stop->request();
  return status;
}

}  // namespace

int main() {
  zentomi::return_large_blocks_to_the_system();
  int status = 1;
  try {
    status = run_zentomi();
  } catch (...) {
    // Before the main loop: nothing can have been saved yet.
    zentomi::log_line("App", "Stopped by an error: " + zentomi::current_exception_text());
  }
  // Background threads are never joined: end the process without running static destructors
  // under their feet.
  std::fflush(nullptr);
  std::_Exit(status);
}
