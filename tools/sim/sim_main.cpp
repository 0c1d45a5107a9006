// zentomi-sim: the reader's start-up, state, main loop, jobs and drawing on an in-memory display,
// driven by a script of button presses, writing screenshots as PNG files.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "app/application.hpp"
#include "app/startup.hpp"
#include "draw/canvas.hpp"
#include "model/channel.hpp"
#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "platform/memory.hpp"
#include "platform/thread.hpp"
#include "png_writer.hpp"
#include "script.hpp"
#include "simulator.hpp"
#ifdef ZENTOMI_HAVE_SDL2
#include "key_map.hpp"
#include "window.hpp"
#endif

namespace {

using namespace zentomi;

constexpr int USAGE_ERROR = 2;

struct Arguments {
  std::string script;
  std::string out;
  bool window = false;
};

void print_usage() {
  std::fputs("usage: zentomi-sim --script FILE --out DIR [--window]\n", stderr);
}

std::optional<Arguments> parse_arguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--window") {
      arguments.window = true;
    } else if ((argument == "--script" || argument == "--out") && i + 1 < argc) {
      (argument == "--script" ? arguments.script : arguments.out) = argv[++i];
    } else {
      return std::nullopt;
    }
  }
  if (arguments.script.empty() || arguments.out.empty()) return std::nullopt;
  return arguments;
}

#ifdef ZENTOMI_HAVE_SDL2
void log_key_map() {
  log_line("Sim", "Window keys (console button: key, game controller):");
  for (const std::string& line : sim::binding_lines())
    log_line("Sim", "  " + line);
}
#endif

int run_simulator(int argc, char** argv) {
  const std::optional<Arguments> arguments = parse_arguments(argc, argv);
  if (!arguments) {
    print_usage();
    return USAGE_ERROR;
  }
  const std::expected<std::string, int> text = read_whole_file(arguments->script);
  if (!text) {
    std::fprintf(stderr, "zentomi-sim: cannot read script %s\n", arguments->script.c_str());
    return USAGE_ERROR;
  }
  auto script = sim::parse_script(*text);
  if (!script) {
    std::fprintf(stderr, "zentomi-sim: %s: %s\n", arguments->script.c_str(),
                 script.error().c_str());
    return USAGE_ERROR;
  }
  std::error_code error;
  std::filesystem::create_directories(arguments->out, error);
  if (error) {
    std::fprintf(stderr, "zentomi-sim: cannot create %s: %s\n", arguments->out.c_str(),
                 error.message().c_str());
    return USAGE_ERROR;
  }
#ifndef ZENTOMI_HAVE_SDL2
  if (arguments->window) {
    log_line(
        "Sim",
        "--window: this build has no window (it was built without SDL2); running headless with "
        "screenshots only.");
  }
#endif

  print_banner(stderr);
  const bool brick = detect_brick(read_model_file(), environment_variable("TRIMUI_DEVICE"));
  const ScreenSize size = default_screen_size(brick);
  Canvas canvas(size.width, size.height);
  // Presses wake the main loop like job results and covers do.
  auto wake = std::make_shared<WakeSignal>();
  auto [buttons, input] = Channel<Button>::create(wake);
  SteadyClock clock;
  // ZENTOMI_SDCARD moves the console's SD card paths under another folder, so a desktop run never
  // writes to /mnt/SDCARD; without it the simulator uses the console's paths like zentomi does.
  const std::optional<std::string> sdcard = environment_variable("ZENTOMI_SDCARD");
  const AppPaths paths = sdcard ? AppPaths::under_sdcard(*sdcard) : AppPaths{};
#ifdef ZENTOMI_HAVE_SDL2
  // Opened before the application, which presents to it, and closed after it.
  std::unique_ptr<sim::Window> window;
  if (arguments->window) {
    auto opened = sim::Window::open(size.width, size.height);
    if (!opened) {
      std::fprintf(stderr, "zentomi-sim: cannot open a window: %s\n", opened.error().c_str());
      return 1;
    }
    window = std::move(*opened);
    log_line("Sim", "Window at scale " + std::to_string(window->scale()));
    log_key_map();
  }
  std::function<void()> present = [&window, &canvas] {
    if (window) window->present(canvas);
  };
  sim::Simulator::Poll poll;
  if (window) poll = [&window, &buttons] { return window->poll(buttons); };
#else
  std::function<void()> present = [] {};
  sim::Simulator::Poll poll;
#endif
  const bool windowed = static_cast<bool>(poll);
  Application application({canvas, std::move(present)}, std::move(input), clock, paths,
                          redraw_mode_from(environment_variable("ZENTOMI_ALWAYS_REDRAW")),
                          LoopWaking{wake, FRAME_DURATION});
  sim::Simulator simulator(application, buttons, arguments->out, std::move(poll));
  return run_guarded(application, [&] {
    application.start();
    if (const std::optional<int> status = simulator.run_script(*script)) return *status;
    // In a window the keyboard takes over after the script's last line.
    return windowed ? simulator.run_until_closed() : 0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  zentomi::return_large_blocks_to_the_system();
  int status = 1;
  try {
    status = run_simulator(argc, argv);
  } catch (...) {
    // Before the main loop: nothing can have been saved yet.
    log_line("App", "Stopped by an error: " + current_exception_text());
  }
  std::fflush(nullptr);
  std::_Exit(status);
}
