#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "screens/common/bars.hpp"
#include "screens/common/layout_services.hpp"

namespace zentomi {

// The body below the header: the loading, failure or empty message, or the grid or list with its
// footer.
// `listing_loading` is the home loading flag as this drawing should see it (the update dialogs
// draw the home screen as if the listing had arrived).
void draw_home_body(Renderer& renderer, const AppState& state, LayoutServices& services,
                    bool listing_loading);

// The whole home screen on a cleared canvas.
void draw_home_screen(Renderer& renderer, const AppState& state, LayoutServices& services);

}  // namespace zentomi
