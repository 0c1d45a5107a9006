#pragma once

#include "library/downloads.hpp"
#include "platform/clock.hpp"
#include "screens/common/jobs.hpp"
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
};

}  // namespace zentomi
