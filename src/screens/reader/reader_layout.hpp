#pragma once

#include <cstdint>

#include "draw/image_drawing.hpp"
#include "draw/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The whole reader: the page (or its loading panel or failure text) on the frame background and,
// unless hidden at the fitted zoom with the page shown, the head-up display over it. Only what the
// page leaves uncovered is cleared; `pages` keeps the rows drawn for the next frame.
void draw_reader_screen(Renderer& renderer, const AppState& state, DrawnPages& pages);

// The loading panel that frame shows: none, the one in the middle while the page shown is fetched,
// or the one under a page in scroll reading while the next page is on its way.
enum class LoadingPanel : std::uint8_t { None, Page, UnderPage };
LoadingPanel reader_loading_panel(const AppState& state, int width, int height);

}  // namespace zentomi
