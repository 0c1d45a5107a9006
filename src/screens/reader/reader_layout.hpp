#pragma once

#include <cstdint>

#include "draw/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The reader on a cleared canvas: the page (or its loading panel or failure text) and, unless
// hidden at the fitted zoom with the page shown, the head-up display over it.
void draw_reader_screen(Renderer& renderer, const AppState& state);

// The loading panel that frame shows: none, the one in the middle while the page shown is fetched,
// or the one under a page in scroll reading while the next page is on its way.
enum class LoadingPanel : std::uint8_t { None, Page, UnderPage };
LoadingPanel reader_loading_panel(const AppState& state, int width, int height);

}  // namespace zentomi
