#pragma once

#include "draw/text.hpp"
#include "model/app_state.hpp"
#include "screens/common/backdrop.hpp"

namespace zentomi {

// What the keyboard panel covers whole on a screen of that size.
ScreenRect search_keyboard_cover(int width, int height);

// The keyboard panel with the query above its keys, over a darkened home screen drawn before it.
void draw_search_keyboard(Renderer& renderer, const AppState& state);

}  // namespace zentomi
