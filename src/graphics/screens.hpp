#pragma once

#include "graphics/layout_services.hpp"
#include "graphics/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// Draws the current screen of the state onto the renderer's canvas, starting from the frame
// background.
void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services);

}  // namespace zentomi
