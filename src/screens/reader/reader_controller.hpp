#pragma once

#include "model/app_state.hpp"
#include "model/button.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Applies one press on the reader screen. True requests exit.
bool handle_reader_button(AppState& state, Button button, AppContext& context);

// The Down presses held at a boundary while the next page was on its way, now that it is here:
// each applied as if pressed now, until one has to wait again, a page has to be fetched first or
// the chapter's end is reached (the rest would do nothing there).
void apply_held_downs(AppState& state, AppContext& context);

}  // namespace zentomi
