#include "main/controllers.hpp"

namespace zentomi {

bool handle_button(AppState& state, Button button, AppContext& context) {
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
      return handle_detail_button(state, button, context);
    case Screen::Reader:
      return handle_reader_button(state, button, context);
    case Screen::Update:
      return handle_update_button(state, button, context);
  }
  return false;
}

}  // namespace zentomi
