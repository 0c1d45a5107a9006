#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/button.hpp"
#include "model/channel.hpp"
#include "platform/file_descriptor.hpp"

namespace zentomi::input {

// /dev/input/event0 to /dev/input/event3, in the order they are opened.
std::vector<std::string> default_event_nodes();

// Ends an input loop from any thread. The loop sleeps in poll without a time-out, on this
// descriptor beside the nodes; when the system refuses one, the loop cannot be ended.
class InputStop {
 public:
  InputStop();
  void request() const;
  int descriptor() const { return descriptor_.get(); }

 private:
  FileDescriptor descriptor_;
};

// The input thread's whole life: opens the nodes that can be opened, discards the input queued
// before start-up, then sleeps until a node has records, translates them and sends every press in
// the order read, at once. A node that hangs up or ends is no longer polled. Returns when `stop`
// is requested, or at once when no node opens, after writing the notice.
void run_input_loop(const Sender<Button>& sender, const std::vector<std::string>& node_paths,
                    const InputStop* stop = nullptr);

// Starts run_input_loop on a detached thread, ended by the stop it returns; a refused thread
// stops the program with "failed to spawn thread", and an error escaping the loop ends only the
// thread, with an "[Input]" line.
std::shared_ptr<const InputStop> spawn_input_thread(
    Sender<Button> sender, std::vector<std::string> node_paths = default_event_nodes());

}  // namespace zentomi::input
