#pragma once

#include "main/jobs.hpp"
#include "storage/store.hpp"

namespace zentomi {

// What controllers and result handling may reach beyond the state itself.
struct AppContext {
  Jobs& jobs;
  Store& store;
};

}  // namespace zentomi
