#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "screens/common/layout_services.hpp"

namespace zentomi {

// The detail screen of the current title on a cleared canvas: the home header, the left panel
// with cover, chips, title, genres and summary, and either the loading panel or the continue box
// and the chapter list.
void draw_detail_screen(Renderer& renderer, const AppState& state, LayoutServices& services);

}  // namespace zentomi
