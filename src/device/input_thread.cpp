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
constexpr int NO_TIME_OUT = -1;
// After a failed poll (the system short of memory), before the next.
constexpr std::chrono::milliseconds ERROR_PAUSE{50};

using ReadBuffer = std::array<std::uint8_t, READ_BUFFER_SIZE>;

struct OpenedNodes {
  std::vector<FileDescriptor> descriptors;
  std::vector<std::string> paths;
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
    nodes.paths.push_back(path);
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

// False when the node has ended.
bool read_presses(int fd, ReadBuffer& buffer, AxisState& axes, const Sender<Button>& sender) {
  auto count = read_some(fd, buffer);
  // A failed read is tried again at the next report; a lasting fault reports an error.
  if (!count) return true;
  if (*count == 0) return false;
  // A trailing partial record is dropped.
  const std::size_t records = *count / EVENT_RECORD_SIZE;
  for (std::size_t i = 0; i < records; ++i) {
    const auto bytes = std::span(buffer).subspan(i * EVENT_RECORD_SIZE).first<EVENT_RECORD_SIZE>();
    // A failed send means the main loop has gone; the press is dropped.
    if (auto button = translate_record(decode_record(bytes), axes)) sender.send(*button);
  }
  return true;
}

// Reads every node that has records; a node that hung up, failed or ended is left out of the
// next polls (poll skips negative descriptors), as polling it again would return at once.
void serve_ready_nodes(OpenedNodes& nodes, ReadBuffer& buffer, AxisState& axes,
                       const Sender<Button>& sender) {
  for (std::size_t i = 0; i < nodes.descriptors.size(); ++i) {
    pollfd& record = nodes.polls[i];
    const bool open = (record.revents & POLLIN) != 0
                          ? read_presses(record.fd, buffer, axes, sender)
                          : (record.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
    if (!open) {
      log_line("Input", "No longer reading " + nodes.paths[i]);
      record.fd = -1;
    }
  }
}

}  // namespace

std::vector<std::string> default_event_nodes() {
  return {"/dev/input/event0", "/dev/input/event1", "/dev/input/event2", "/dev/input/event3"};
}

InputStop::InputStop() {
  if (auto opened = open_event_counter()) {
    descriptor_ = std::move(*opened);
  } else {
    log_line("Input", "The input thread cannot be ended: " + opened.error());
  }
}

void InputStop::request() const {
  if (descriptor_.is_open()) raise_event(descriptor_.get());
}

void run_input_loop(const Sender<Button>& sender, const std::vector<std::string>& node_paths,
                    const InputStop* stop) {
  OpenedNodes nodes = open_nodes(node_paths);
  if (nodes.descriptors.empty()) {
    log_line("Input", "Notice: No evdev event nodes opened.");
    return;
  }
  ReadBuffer buffer{};
  flush_stale_input(nodes, buffer);
  AxisState axes;
  // The stop's record comes last; it is never read, so a stop stays requested.
  nodes.polls.push_back(pollfd{stop ? stop->descriptor() : -1, POLLIN, 0});
  while (true) {
    // A failed poll is not worth a word: the loop simply tries again.
    auto ready = poll_descriptors(nodes.polls, NO_TIME_OUT);
    if (!ready) {
      std::this_thread::sleep_for(ERROR_PAUSE);
      continue;
    }
    if (nodes.polls.back().revents != 0) return;
    serve_ready_nodes(nodes, buffer, axes, sender);
  }
}

std::shared_ptr<const InputStop> spawn_input_thread(Sender<Button> sender,
                                                    std::vector<std::string> node_paths) {
  auto stop = std::make_shared<const InputStop>();
  spawn_detached("Input", [sender = std::move(sender), paths = std::move(node_paths), stop] {
    run_input_loop(sender, paths, stop.get());
  });
  return stop;
}

}  // namespace zentomi::input
