#pragma once

#include "model/app_state.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Stores what a job delivered into the state. No result changes the screen.
void apply_worker_result(AppState& state, WorkerResult result, AppContext& context);

}  // namespace zentomi
