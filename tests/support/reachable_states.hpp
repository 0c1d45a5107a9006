#pragma once

#include <cstddef>
#include <deque>
#include <set>
#include <span>
#include <vector>

#include "model/button.hpp"

namespace zentomi::testing {

// Every state a controller reaches from `start` through any sequence of `buttons`, each state
// once, as a breadth-first walk meets them. `key(state)` tells states apart (an ordered value,
// e.g. a tuple of the fields that matter); `press(state, button)` applies one button to its own
// copy. A screen's reachability tests walk its controller with this and check every state's
// drawing.
template <typename State, typename Key, typename Press>
std::vector<State> reachable_states(const State& start, std::span<const Button> buttons, Key key,
                                    Press press) {
  std::set<decltype(key(start))> seen{key(start)};
  std::vector<State> reached{start};
  std::deque<std::size_t> pending{0};
  while (!pending.empty()) {
    const std::size_t from = pending.front();
    pending.pop_front();
    for (const Button button : buttons) {
      State next = reached[from];
      press(next, button);
      if (!seen.insert(key(next)).second) continue;
      reached.push_back(std::move(next));
      pending.push_back(reached.size() - 1);
    }
  }
  return reached;
}

}  // namespace zentomi::testing
