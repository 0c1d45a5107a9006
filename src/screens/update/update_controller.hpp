#pragma once

#include "model/app_state.hpp"
#include "model/button.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Applies one press on the update screen. True requests exit.
bool handle_update_button(AppState& state, Button button, AppContext& context);

// The update screen is opened: without a known manifest or a check under way, a check starts.
void open_update(AppState& state, AppContext& context);

// An install job is running: the status stays Downloading until the job answers.
bool install_running(const AppState& state);

// A check's answer: a newer version becomes the known manifest. The status follows the answer
// unless an install is running, whose Downloading status only the install itself may end.
void apply_update_check_result(AppState& state, UpdateCheckResult& checked);
void apply_update_install_result(AppState& state, UpdateInstallResult& installed);

}  // namespace zentomi
