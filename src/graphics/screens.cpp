#include "graphics/screens.hpp"

namespace zentomi {

void draw_screen(Renderer& renderer, const AppState&) {
  clear(renderer.canvas, palette::FRAME_BACKGROUND);
}

}  // namespace zentomi
