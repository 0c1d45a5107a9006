#include "screens/search/search_controller.hpp"

#include "screens/search/keyboard.hpp"

namespace zentomi {
namespace {

void type_key(SearchState& search) {
  if (search.query.size() >= keyboard::QUERY_LIMIT) return;
  search.query += keyboard::selected_key(search);
}

// One character, not one byte, should the query ever hold more than the keys type.
void delete_last_character(std::string& query) {
  while (!query.empty()) {
    const auto byte = static_cast<unsigned char>(query.back());
    query.pop_back();
    if ((byte & 0xC0) != 0x80) return;
  }
}

}  // namespace

bool handle_search_button(AppState& state, Button button, AppContext& context) {
  switch (button) {
    case Button::Up:
    case Button::Down:
    case Button::Left:
    case Button::Right:
      keyboard::move_key(state.search, button);
      return false;
    case Button::A:
      type_key(state.search);
      return false;
    case Button::X:
      delete_last_character(state.search.query);
      return false;
    case Button::Start:
      // An empty query has nothing to find.
      if (state.search.query.empty()) return false;
      keyboard::remember_query(state.search, state.search.query);
      context.go(transition::Search{state.search.query});
      return false;
    case Button::R2:
      keyboard::recall_query(state.search);
      return false;
    case Button::B:
      // Back to what the keyboard was opened over; the query stays for the next time.
      context.go(transition::Show{Screen::Home});
      return false;
    default:
      return false;
  }
}

}  // namespace zentomi
