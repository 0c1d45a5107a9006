#pragma once

#include "main/jobs.hpp"

namespace zentomi {

// What controllers and result handling may reach beyond the state itself.
struct AppContext {
  Jobs& jobs;
};

}  // namespace zentomi
