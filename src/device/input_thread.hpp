#pragma once

#include <string>
#include <vector>

#include "model/button.hpp"
#include "model/channel.hpp"

namespace zentomi::input {

// /dev/input/event0 to /dev/input/event3, in the order they are opened.
std::vector<std::string> default_event_nodes();

// The input thread's whole life: opens the nodes that can be opened, discards the input queued
// before start-up, then forever polls, translates and sends every press in the order read.
// Returns only when no node opens, after writing the notice.
void run_input_loop(const Sender<Button>& sender, const std::vector<std::string>& node_paths);

// Starts run_input_loop on a detached thread that is never joined; a refused thread stops the
// program with "failed to spawn thread", and an error escaping the loop ends only the thread,
// with an "[Input]" line.
void spawn_input_thread(Sender<Button> sender,
                        std::vector<std::string> node_paths = default_event_nodes());

}  // namespace zentomi::input
