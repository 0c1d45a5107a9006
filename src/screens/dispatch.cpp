#include "screens/dispatch.hpp"

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "platform/log.hpp"
#include "screens/detail/detail_controller.hpp"
#include "screens/detail/detail_layout.hpp"
#include "screens/home/favourites_news.hpp"
#include "screens/home/home_controller.hpp"
#include "screens/home/home_layout.hpp"
#include "screens/reader/reader_controller.hpp"
#include "screens/reader/reader_layout.hpp"
#include "screens/search/search_controller.hpp"
#include "screens/search/search_layout.hpp"
#include "screens/update/update_controller.hpp"
#include "screens/update/update_layout.hpp"

namespace zentomi {

namespace {

bool press_on_current_screen(AppState& state, Button button, AppContext& context) {
  if (button == Button::Menu) {
    // Only the home screen says why it ends; the others end without a line.
    if (state.screen == Screen::Home) {
      log_line("App", "Clean exit requested by user via MENU button.");
    }
    return true;
  }
  switch (state.screen) {
    case Screen::Home:
      return handle_home_button(state, button, context);
    case Screen::Detail:
      return handle_detail_button(state, button, context);
    case Screen::Reader:
      return handle_reader_button(state, button, context);
    case Screen::Update:
      return handle_update_button(state, button, context);
    case Screen::Search:
      return handle_search_button(state, button, context);
  }
  return false;
}

}  // namespace

bool handle_button(AppState& state, Button button, AppContext& context) {
  note_reading(state);
  const bool exit = press_on_current_screen(state, button, context);
  keep_check_in_view(state, context.jobs);
  return exit;
}

void draw_screen(Renderer& renderer, const AppState& state, LayoutServices& services) {
  clear(renderer.canvas, palette::FRAME_BACKGROUND);
  switch (state.screen) {
    case Screen::Home:
      draw_home_screen(renderer, state, services);
      return;
    case Screen::Detail:
      draw_detail_screen(renderer, state, services);
      return;
    case Screen::Reader:
      draw_reader_screen(renderer, state);
      return;
    case Screen::Update:
      // The dialogs stand over the home screen as if its listing had arrived.
      draw_home_header(renderer, state);
      draw_home_body(renderer, state, services, false);
      draw_update_panel(renderer, state);
      return;
    case Screen::Search:
      draw_home_screen(renderer, state, services);
      draw_search_keyboard(renderer, state);
      return;
  }
}

}  // namespace zentomi
