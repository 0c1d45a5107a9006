#include <cstdio>

#include "main/controllers.hpp"

namespace zentomi {

bool handle_home_button(AppState&, Button button, AppContext&) {
  switch (button) {
    case Button::B:
      std::fputs("[App] Clean exit to MainUI via Button B.\n", stderr);
      return true;
    case Button::Menu:
      std::fputs("[App] Clean exit requested by user via MENU button.\n", stderr);
      return true;
    default:
      return false;
  }
}

}  // namespace zentomi
