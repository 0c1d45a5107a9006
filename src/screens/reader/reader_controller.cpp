#include "screens/reader/reader_controller.hpp"

#include "screens/reader/reader_pages.hpp"

namespace zentomi {
namespace {

constexpr int PAN_STEP = 50;
constexpr int ZOOM_LEVELS = 4;

// A zoom change that ends at the fitted page also forgets the pan.
void change_zoom(AppState& state, int step) {
  const int zoom = (state.reader.zoom + step + ZOOM_LEVELS) % ZOOM_LEVELS;
  if (zoom == 0) state.reader.reset_view();
  state.reader.zoom = zoom;
}

void turn_page(AppState& state, AppContext& context, bool forward, bool keep_zoom) {
  const std::size_t count = state.reader.pages.size();
  const std::size_t current = state.reader.page_index;
  // Both directions need a target inside the list: with no list (not arrived, failed or empty)
  // every page key does nothing.
  if (forward ? current + 1 >= count : current == 0 || current > count) return;
  const std::size_t target = forward ? current + 1 : current - 1;
  save_reading_progress(state, context, target);
  state.reader.page_index = target;
  state.reader.page_image.reset();
  state.reader.reader_loading = true;
  const int zoom = keep_zoom ? state.reader.zoom : 0;
  state.reader.reset_view();
  state.reader.zoom = zoom;
  request_page_image(state, context);
}

}  // namespace

bool handle_reader_button(AppState& state, Button button, AppContext& context) {
  const bool zoomed = state.reader.zoom != 0;
  switch (button) {
    case Button::Up:
      if (zoomed) state.reader.pan_y += PAN_STEP;
      return false;
    case Button::Down:
      if (zoomed) state.reader.pan_y -= PAN_STEP;
      return false;
    case Button::Left:
      if (zoomed) {
        state.reader.pan_x += PAN_STEP;
      } else {
        turn_page(state, context, false, false);
      }
      return false;
    case Button::Right:
      if (zoomed) {
        state.reader.pan_x -= PAN_STEP;
      } else {
        turn_page(state, context, true, false);
      }
      return false;
    case Button::L1:
      turn_page(state, context, false, true);
      return false;
    case Button::R1:
      turn_page(state, context, true, true);
      return false;
    case Button::X:
    case Button::R2:
      change_zoom(state, 1);
      return false;
    case Button::Y:
    case Button::L2:
      change_zoom(state, -1);
      return false;
    case Button::Select:
      state.reader.hud_visible = !state.reader.hud_visible;
      return false;
    case Button::B:
      state.reader.reset_view();
      state.screen = Screen::Detail;
      return false;
    default:  // nothing to do here; MENU is the dispatch's
      return false;
  }
}

}  // namespace zentomi
