#include "graphics/screens.hpp"

#include "graphics/detail_layout.hpp"
#include "graphics/home_layout.hpp"
#include "graphics/reader_layout.hpp"
#include "graphics/update_layout.hpp"

namespace zentomi {

void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services) {
  clear(renderer.canvas, palette::FRAME_BACKGROUND);
  switch (state.screen) {
    case Screen::Home:
      draw_home_screen(renderer, state, services);
      return;
    case Screen::Detail:
      draw_detail_screen(renderer, state, services);
      return;
    case Screen::Reader:
      draw_reader_screen(renderer, state);
      return;
    case Screen::Update:
      draw_update_screen(renderer, state, services);
      return;
  }
}

}  // namespace zentomi
