// The console's program as it runs on a still screen, for counting its wake-ups and system calls
// (still-screen-wakeups.sh): the same application, main loop and input thread as zentomi, drawn
// into memory instead of the framebuffer, with its buttons read from the given event nodes
// (pipes stand in for the devices) and its SD card under the given folder.
//
//   still_screen SDCARD EVENT_NODE...
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_paths.hpp"
#include "app/application.hpp"
#include "device/input_thread.hpp"
#include "draw/canvas.hpp"
#include "model/channel.hpp"
#include "platform/clock.hpp"

int main(int argc, char** argv) {
  using namespace zentomi;
  if (argc < 3) {
    std::fprintf(stderr, "usage: still_screen SDCARD EVENT_NODE...\n");
    return 2;
  }
  Canvas canvas(1280, 720);
  auto wake = std::make_shared<WakeSignal>();
  auto [input_sender, input_receiver] = Channel<Button>::create(wake);
  input::spawn_input_thread(std::move(input_sender),
                            std::vector<std::string>(argv + 2, argv + argc));
  SteadyClock clock;
  Application application({canvas, [] {}}, std::move(input_receiver), clock,
                          AppPaths::under_sdcard(argv[1]), RedrawMode::WhenChanged,
                          LoopWaking{wake, LONGEST_WAIT});
  return run_guarded(application, [&application] {
    application.start();
    while (application.run_frame()) {
    }
    return 0;
  });
}
