#include "main/controllers.hpp"

#include <algorithm>

#include "storage/ordering.hpp"

namespace zentomi {
namespace {

// Leaving the detail screen: favourites may have changed while it was open, so a filtered home
// list is rebuilt from the file.
void back_to_home_from_detail(AppState& state, AppContext& context) {
  state.screen = Screen::Home;
  if (!state.favorites_only) return;
  state.source_items = context.store.load_favorites();
  state.displayed_items = state.source_items;
  apply_sort(state.displayed_items, state.source_items, state.sort_mode);
  const std::size_t count = state.displayed_items.size();
  state.home_selected = count == 0 ? 0 : std::min(state.home_selected, count - 1);
}

// The screens reached from home whose own controls arrive later still offer the way back and
// the way out.
bool handle_way_back(AppState& state, Button button, AppContext& context) {
  if (button == Button::Menu) return true;
  if (button != Button::B) return false;
  if (state.screen == Screen::Detail) {
    back_to_home_from_detail(state, context);
  } else if (state.screen == Screen::Reader) {
    state.zoom = 0;
    state.pan_x = 0;
    state.pan_y = 0;
    state.screen = Screen::Detail;
  } else {
    state.screen = Screen::Home;
  }
  return false;
}

}  // namespace

bool handle_button(AppState& state, Button button, AppContext& context) {
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
    case Screen::Reader:
    case Screen::Update:
      return handle_way_back(state, button, context);
  }
  return false;
}

}  // namespace zentomi
