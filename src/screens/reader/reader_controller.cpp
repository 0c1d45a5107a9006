#include "screens/reader/reader_controller.hpp"

#include <algorithm>
#include <utility>

#include "platform/background_release.hpp"
#include "screens/reader/reader_pages.hpp"
#include "screens/reader/scroll_geometry.hpp"

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
  release_in_background(std::move(state.reader.page_image));
  state.reader.reader_loading = true;
  const int zoom = keep_zoom ? state.reader.zoom : 0;
  state.reader.reset_view();
  state.reader.zoom = zoom;
  request_page_image(state, context);
}

// Up and Down in scroll reading: through the page, then on to the next page's top or back to the
// previous page's bottom, as R1 and L1 turn.
void scroll_page(AppState& state, AppContext& context, bool down) {
  ReaderState& reader = state.reader;
  if (reader.page_image) {
    const std::int32_t last =
        scroll_geometry::bottom(state.screen_width, state.screen_height, *reader.page_image);
    if (down ? reader.scroll < last : reader.scroll > 0) {
      const std::int32_t step = scroll_geometry::step(state.screen_height);
      reader.scroll = std::clamp(reader.scroll + (down ? step : -step), 0, last);
      return;
    }
  } else if (reader.reader_loading) {
    // Until the page arrives its length is unknown; a held key waits here instead of running
    // through pages never seen.
    return;
  }
  // A page that failed has no rows to scroll through, so the key moves past it.
  const std::size_t before = reader.page_index;
  turn_page(state, context, down, true);
  if (!down && reader.page_index != before) reader.scroll_to_bottom = true;
}

// START: scroll reading starts each page at its top; turned off, the page is fitted again.
void toggle_scroll_reading(ReaderState& reader) {
  const bool on = !reader.scroll_reading;
  reader.reset_view();
  reader.scroll_reading = on;
}

// The zoom keys leave scroll reading for the zoom cycle, from the fitted page.
void leave_scroll_reading(ReaderState& reader) {
  if (!reader.scroll_reading) return;
  reader.scroll_reading = false;
  reader.reset_view();
}

}  // namespace

bool handle_reader_button(AppState& state, Button button, AppContext& context) {
  const bool zoomed = state.reader.zoom != 0;
  if (state.reader.scroll_reading && (button == Button::Up || button == Button::Down)) {
    scroll_page(state, context, button == Button::Down);
    return false;
  }
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
      leave_scroll_reading(state.reader);
      change_zoom(state, 1);
      return false;
    case Button::Y:
    case Button::L2:
      leave_scroll_reading(state.reader);
      change_zoom(state, -1);
      return false;
    case Button::Start:
      toggle_scroll_reading(state.reader);
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
