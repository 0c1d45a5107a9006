#include "main/controllers.hpp"

namespace zentomi {
namespace {

// The screens whose own controls arrive later still offer the way back and the way out.
bool handle_way_back(AppState& state, Button button) {
  if (button == Button::Menu) return true;
  if (button != Button::B) return false;
  state.screen = Screen::Home;
  return false;
}

}  // namespace

bool handle_button(AppState& state, Button button, AppContext& context) {
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
      return handle_detail_button(state, button, context);
    case Screen::Reader:
      return handle_reader_button(state, button, context);
    case Screen::Update:
      return handle_way_back(state, button);
  }
  return false;
}

}  // namespace zentomi
