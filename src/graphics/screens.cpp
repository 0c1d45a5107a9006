#include "graphics/screens.hpp"

namespace zentomi {

void draw_screen(Canvas& canvas, const AppState&) {
  clear(canvas, palette::FRAME_BACKGROUND);
}

}  // namespace zentomi
