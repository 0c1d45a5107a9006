#pragma once

#include <optional>
#include <utility>

#include "library/downloads.hpp"
#include "platform/clock.hpp"
#include "screens/common/jobs.hpp"
#include "screens/common/transition.hpp"
#include "storage/store.hpp"

namespace zentomi {

// What controllers and result handling may reach beyond the state itself.
struct AppContext {
  Jobs& jobs;
  Store& store;
  // Stamps the reading history.
  WallClock wall_clock = wall_now;
  // The chapters on the card and the download queue; none where nothing is downloaded.
  Downloads* downloads = nullptr;
  // The transition a press asked for; the dispatch performs it once the controller returns.
  std::optional<Transition> requested = std::nullopt;

  void go(Transition transition) { requested = std::move(transition); }
};

}  // namespace zentomi
