#include "screens/home/home_results.hpp"

#include <algorithm>
#include <utility>

#include "platform/log.hpp"
#include "screens/home/home_items.hpp"
#include "screens/home/home_sources.hpp"

namespace zentomi {

void apply_home_loaded(AppState& state, HomeLoaded& loaded) {
  HomeState& home = front_page_record(state);
  home.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Home load error: " + loaded.result.error());
    home.home_error = std::move(loaded.result.error());
    return;
  }
  home.home_error.reset();
  home.all_items = std::move(*loaded.result);
  // With the favourites filter on, the favourites stay on screen until it is turned off.
  if (home.favorites_only) return;
  show_home_items(home, home.all_items);
  home.home_selected = 0;
  home.home_scroll = 0;
}

// One for a query the user has since replaced, or from a search the user has left, is dropped.
void apply_search_loaded(AppState& state, SearchLoaded& loaded) {
  HomeState& home = state.home;
  if (home.source != HomeSource::Search || loaded.query != home.search_query) return;
  home.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Search error: " + loaded.result.error());
    home.home_error = std::move(loaded.result.error());
    return;
  }
  home.home_error.reset();
  home.all_items = std::move(*loaded.result);
  home.favorites_only = false;
  show_home_items(home, home.all_items);
  home.home_selected = 0;
  home.home_scroll = 0;
}

void show_search(AppState& state, Jobs& jobs, std::string query) {
  show_other_source(state, HomeSource::Search, {}, {});
  state.home.home_loading = true;
  state.home.search_query = query;
  jobs.start(job::Search{std::move(query)});
}

// A scroll left past the clamped selection would show an empty page with no key to leave it, so
// it moves back to the selection's row.
void return_from_title(AppState& state, AppContext& context) {
  HomeState& home = state.home;
  if (!home.favorites_only) return;
  show_home_items(home, favourites_among_shown(home, context.store));
  const std::size_t count = home.displayed_items.size();
  home.home_selected = count == 0 ? 0 : std::min(home.home_selected, count - 1);
  if (home.home_scroll > home.home_selected) {
    const std::size_t columns = std::max<std::size_t>(home.grid_columns, 1);
    home.home_scroll =
        home.grid_view ? home.home_selected - home.home_selected % columns : home.home_selected;
  }
}

}  // namespace zentomi
