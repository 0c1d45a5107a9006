#pragma once

#include "model/app_state.hpp"
#include "model/button.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Applies one press on the reader screen. True requests exit.
bool handle_reader_button(AppState& state, Button button, AppContext& context);

}  // namespace zentomi
