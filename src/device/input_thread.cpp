#include "device/input_thread.hpp"

#include <array>
#include <chrono>
#include <thread>
#include <utility>

#include "device/evdev_io.hpp"
#include "device/evdev_translation.hpp"
#include "platform/log.hpp"
#include "platform/thread.hpp"

namespace zentomi::input {
namespace {

// Room for 64 records per read.
constexpr std::size_t READ_BUFFER_SIZE = 1536;
constexpr int POLL_TIMEOUT_MS = 50;
constexpr std::chrono::milliseconds LOOP_PAUSE{5};

using ReadBuffer = std::array<std::uint8_t, READ_BUFFER_SIZE>;

struct OpenedNodes {
  std::vector<FileDescriptor> descriptors;
  std::vector<pollfd> polls;
};

// A node that does not open is skipped without a word: the consoles differ in which exist.
OpenedNodes open_nodes(const std::vector<std::string>& paths) {
  OpenedNodes nodes;
  for (const std::string& path : paths) {
    auto opened = open_event_node(path);
    if (!opened) continue;
    nodes.polls.push_back(pollfd{opened->get(), POLLIN, 0});
    nodes.descriptors.push_back(std::move(*opened));
  }
  return nodes;
}

// Presses made before the application started (a button still held from the launcher) are
// never delivered.
void flush_stale_input(const OpenedNodes& nodes, ReadBuffer& buffer) {
  for (const FileDescriptor& descriptor : nodes.descriptors) {
    while (true) {
      auto count = read_some(descriptor.get(), buffer);
      if (!count || *count == 0) break;
    }
  }
}

void read_presses(int fd, ReadBuffer& buffer, AxisState& axes, const Sender<Button>& sender) {
  auto count = read_some(fd, buffer);
  if (!count) return;
  // A trailing partial record is dropped.
  const std::size_t records = *count / EVENT_RECORD_SIZE;
  for (std::size_t i = 0; i < records; ++i) {
    const auto bytes = std::span(buffer).subspan(i * EVENT_RECORD_SIZE).first<EVENT_RECORD_SIZE>();
    // A failed send means the main loop has gone; the press is dropped.
    if (auto button = translate_record(decode_record(bytes), axes)) sender.send(*button);
  }
}

}  // namespace

std::vector<std::string> default_event_nodes() {
  return {"/dev/input/event0", "/dev/input/event1", "/dev/input/event2", "/dev/input/event3"};
}

void run_input_loop(const Sender<Button>& sender, const std::vector<std::string>& node_paths) {
  OpenedNodes nodes = open_nodes(node_paths);
  if (nodes.descriptors.empty()) {
    log_line("Input", "Notice: No evdev event nodes opened.");
    return;
  }
  ReadBuffer buffer{};
  flush_stale_input(nodes, buffer);
  AxisState axes;
  while (true) {
    // Poll errors and time-outs are not worth a word: the loop simply tries again.
    auto ready = poll_descriptors(nodes.polls, POLL_TIMEOUT_MS);
    if (ready && *ready > 0) {
      for (const pollfd& record : nodes.polls) {
        if ((record.revents & POLLIN) != 0) read_presses(record.fd, buffer, axes, sender);
      }
    }
    std::this_thread::sleep_for(LOOP_PAUSE);
  }
}

void spawn_input_thread(Sender<Button> sender, std::vector<std::string> node_paths) {
  spawn_detached("Input", [sender = std::move(sender), paths = std::move(node_paths)] {
    run_input_loop(sender, paths);
  });
}

}  // namespace zentomi::input
