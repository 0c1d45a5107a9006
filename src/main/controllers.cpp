#include "main/controllers.hpp"

namespace zentomi {

bool handle_button(AppState& state, Button button, AppContext& context) {
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
    case Screen::Reader:
    case Screen::Update:
      return false;
  }
  return false;
}

}  // namespace zentomi
