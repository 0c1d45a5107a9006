#include "model/app_state.hpp"

namespace zentomi {

AppState make_initial_state(int screen_width, int screen_height) {
  AppState state;
  state.screen_width = screen_width;
  state.screen_height = screen_height;
  state.home.grid_columns = screen_width >= 1200 ? 5 : 4;
  return state;
}

}  // namespace zentomi
