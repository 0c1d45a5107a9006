// zentomi-sim: the reader's start-up, state, main loop, jobs and drawing on an in-memory display,
// driven by a script of button presses, writing screenshots as PNG files.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "graphics/canvas.hpp"
#include "main/application.hpp"
#include "main/startup.hpp"
#include "model/channel.hpp"
#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/log.hpp"
#include "png_writer.hpp"
#include "script.hpp"

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

class Simulator {
 public:
  Simulator(Application& application, Sender<Button>& buttons, std::filesystem::path out)
      : application_(application), buttons_(buttons), out_(std::move(out)) {}

  // Runs the script; the process's exit status.
  int run(const std::vector<sim::ScriptLine>& script) {
    for (const sim::ScriptLine& line : script) {
      const std::optional<int> status =
          std::visit([this](const auto& c) { return apply(c); }, line.command);
      if (status) return *status;
    }
    return 0;
  }

 private:
  using Status = std::optional<int>;

  Status apply(const sim::command::Press& press) {
    buttons_.send(press.button);
    return std::nullopt;
  }
  Status apply(const sim::command::Frames& frames) {
    for (std::size_t i = 0; i < frames.count; ++i) {
      if (!application_.run_frame()) return 0;
    }
    return std::nullopt;
  }
  Status apply(const sim::command::Wait& wait) {
    const auto end = std::chrono::steady_clock::now() + wait.duration;
    while (std::chrono::steady_clock::now() < end) {
      if (!application_.run_frame()) return 0;
    }
    return std::nullopt;
  }
  Status apply(const sim::command::Settle& settle) {
    const auto end = std::chrono::steady_clock::now() + settle.limit;
    // The first frame applies the presses queued before it and asks for the covers they bring
    // into view; only then can "nothing pending" mean the screen is complete.
    if (!application_.run_frame()) return 0;
    while (!application_.idle()) {
      if (std::chrono::steady_clock::now() >= end) {
        log_line("Sim", "settle: background work still running after " +
                            std::to_string(settle.limit.count()) + " ms");
        break;
      }
      if (!application_.run_frame()) return 0;
    }
    if (!application_.run_frame()) return 0;
    return std::nullopt;
  }
  Status apply(const sim::command::Shot& shot) {
    const std::filesystem::path path = out_ / (shot.name + ".png");
    if (auto written = sim::write_png(application_.canvas(), path.string()); !written) {
      log_line("Sim", written.error());
      return 1;
    }
    return std::nullopt;
  }
  Status apply(const sim::command::Quit&) { return 0; }

  Application& application_;
  Sender<Button>& buttons_;
  std::filesystem::path out_;
};

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
  if (arguments->window) {
    log_line("Sim",
             "--window needs SDL2, which this build does not include; running headless with "
             "screenshots only.");
  }

  print_banner(stderr);
  const bool brick = detect_brick(read_model_file(), environment_variable("TRIMUI_DEVICE"));
  const ScreenSize size = default_screen_size(brick);
  Canvas canvas(size.width, size.height);
  auto [buttons, input] = Channel<Button>::create();
  SteadyClock clock;
  // ZENTOMI_SDCARD moves the console's SD card paths under another folder, so a desktop run never
  // writes to /mnt/SDCARD; without it the simulator uses the console's paths like zentomi does.
  const std::optional<std::string> sdcard = environment_variable("ZENTOMI_SDCARD");
  const AppPaths paths = sdcard ? AppPaths::under_sdcard(*sdcard) : AppPaths{};
  Application application({canvas, [] {}}, std::move(input), clock, paths,
                          redraw_mode_from(environment_variable("ZENTOMI_ALWAYS_REDRAW")));
  application.start();
  Simulator simulator(application, buttons, arguments->out);
  return simulator.run(*script);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = run_simulator(argc, argv);
  std::fflush(nullptr);
  std::_Exit(status);
}
