#include "simulator.hpp"

#include <chrono>
#include <string>
#include <utility>
#include <variant>

#include "platform/log.hpp"
#include "png_writer.hpp"

namespace zentomi::sim {

Simulator::Simulator(Application& application, const Sender<Button>& buttons,
                     std::filesystem::path out, Poll poll)
    : application_(application), buttons_(buttons), out_(std::move(out)), poll_(std::move(poll)) {}

std::optional<int> Simulator::run_script(const std::vector<ScriptLine>& script) {
  for (const ScriptLine& line : script) {
    const Status status = std::visit([this](const auto& c) { return apply(c); }, line.command);
    if (status) return status;
  }
  return std::nullopt;
}

int Simulator::run_until_closed() {
  while (true) {
    if (const Status status = frame()) return *status;
  }
}

Simulator::Status Simulator::frame() {
  if (poll_ && !poll_()) {
    log_line("Sim", "Window closed.");
    // The main loop never saw this way out, so the pending save is waited for here.
    application_.wait_for_saves();
    return 0;
  }
  if (!application_.run_frame()) return 0;
  return std::nullopt;
}

Simulator::Status Simulator::apply(const command::Press& press) {
  buttons_.send(press.button);
  return std::nullopt;
}

Simulator::Status Simulator::apply(const command::Frames& frames) {
  for (std::size_t i = 0; i < frames.count; ++i) {
    if (const Status status = frame()) return status;
  }
  return std::nullopt;
}

Simulator::Status Simulator::apply(const command::Wait& wait) {
  const auto end = std::chrono::steady_clock::now() + wait.duration;
  while (std::chrono::steady_clock::now() < end) {
    if (const Status status = frame()) return status;
  }
  return std::nullopt;
}

Simulator::Status Simulator::apply(const command::Settle& settle) {
  const auto end = std::chrono::steady_clock::now() + settle.limit;
  // The first frame applies the presses queued before it and asks for the covers they bring
  // into view; only then can "nothing pending" mean the screen is complete.
  if (const Status status = frame()) return status;
  while (!application_.idle()) {
    if (std::chrono::steady_clock::now() >= end) {
      log_line("Sim", "settle: background work still running after " +
                          std::to_string(settle.limit.count()) + " ms");
      break;
    }
    if (const Status status = frame()) return status;
  }
  return frame();
}

Simulator::Status Simulator::apply(const command::Shot& shot) {
  const std::filesystem::path path = out_ / (shot.name + ".png");
  if (auto written = write_png(application_.canvas(), path.string()); !written) {
    log_line("Sim", written.error());
    return 1;
  }
  return std::nullopt;
}

Simulator::Status Simulator::apply(const command::Quit& /*quit*/) {
  return 0;
}

}  // namespace zentomi::sim
