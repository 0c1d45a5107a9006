#pragma once

#include "model/app_state.hpp"
#include "model/button.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Applies one press on the search keyboard. Never requests exit.
bool handle_search_button(AppState& state, Button button, AppContext& context);

}  // namespace zentomi
