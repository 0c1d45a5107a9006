#pragma once

#include "graphics/canvas.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// Draws the current screen of the state onto the canvas, starting from the frame background.
void draw_screen(Canvas& canvas, const AppState& state);

}  // namespace zentomi
