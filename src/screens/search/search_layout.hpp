#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"

namespace zentomi {

// The keyboard panel with the query above its keys, over a darkened home screen drawn before it.
void draw_search_keyboard(Renderer& renderer, const AppState& state);

}  // namespace zentomi
