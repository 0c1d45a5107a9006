#pragma once

#include "graphics/layout_services.hpp"
#include "graphics/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The sort mode as the header names it.
const char* sort_mode_label(SortMode mode);

// The header bar with the title, the filter, view and sort chips, the version and the update
// indicator. Drawn on every home frame and under the update dialogs.
void draw_home_header(Renderer& renderer, const AppState& state);

// The body below the header: the loading, failure or empty message, or the grid or list with its
// footer.
// `listing_loading` is the home loading flag as this drawing should see it (the update dialogs
// draw the home screen as if the listing had arrived).
void draw_home_body(Renderer& renderer, const AppState& state, LayoutServices& services,
                    bool listing_loading);

// The whole home screen on a cleared canvas.
void draw_home_screen(Renderer& renderer, const AppState& state, LayoutServices& services);

}  // namespace zentomi
