#pragma once

#include "main/app_context.hpp"
#include "model/app_state.hpp"
#include "model/button.hpp"

namespace zentomi {

// Applies one press to the controller of the current screen. True requests exit.
bool handle_button(AppState& state, Button button, AppContext& context);

bool handle_home_button(AppState& state, Button button, AppContext& context);
bool handle_detail_button(AppState& state, Button button, AppContext& context);
bool handle_reader_button(AppState& state, Button button, AppContext& context);
bool handle_update_button(AppState& state, Button button, AppContext& context);

}  // namespace zentomi
