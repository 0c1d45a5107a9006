#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The reader on a cleared canvas: the page (or its loading panel or failure text) and, unless
// hidden at the fitted zoom with the page shown, the head-up display over it.
void draw_reader_screen(Renderer& renderer, const AppState& state);

}  // namespace zentomi
