#include "screens/home/home_controller.hpp"

#include <algorithm>

#include "platform/log.hpp"
#include "screens/home/favourites_news.hpp"
#include "screens/home/home_geometry.hpp"
#include "screens/home/home_items.hpp"
#include "screens/home/home_library.hpp"
#include "screens/home/home_navigation.hpp"
#include "screens/home/home_results.hpp"
#include "screens/home/home_sources.hpp"
#include "screens/home/reading_history.hpp"
#include "storage/ordering.hpp"

namespace zentomi {
namespace {

void move(AppState& state, Button button) {
  const std::size_t count = state.home.displayed_items.size();
  const std::size_t columns = state.home.grid_columns;
  ListCursor cursor{state.home.home_selected, state.home.home_scroll};
  if (state.home.grid_view) {
    const std::size_t rows = home_geometry::grid_rows(state.screen_height);
    if (button == Button::Up) cursor = grid_up(cursor, columns);
    if (button == Button::Down) cursor = grid_down(cursor, count, columns, rows);
    if (button == Button::Left) cursor = grid_left(cursor, columns);
    if (button == Button::Right) cursor = grid_right(cursor, count, columns, rows);
  } else {
    const std::size_t rows = home_geometry::list_rows(state.screen_height);
    if (button == Button::Up) cursor = list_up(cursor);
    if (button == Button::Down) cursor = list_down(cursor, count, rows);
  }
  state.home.home_selected = cursor.selected;
  state.home.home_scroll = cursor.scroll;
}

// The scroll of the current view that shows the selection, from the top as far as needed.
void scroll_selection_into_view(AppState& state) {
  const ListCursor cursor =
      state.home.grid_view ? scrolled_into_view(state.home.home_selected, state.home.grid_columns,
                                                home_geometry::grid_rows(state.screen_height))
                           : scrolled_into_view(state.home.home_selected, 1,
                                                home_geometry::list_rows(state.screen_height));
  state.home.home_scroll = cursor.scroll;
}

// The selection stays.
void switch_view(AppState& state) {
  state.home.grid_view = !state.home.grid_view;
  scroll_selection_into_view(state);
}

// The history and the library keep their own order and need no favourites filter.
bool shows_all_keys(HomeSource source) {
  return source != HomeSource::History && source != HomeSource::Library;
}

void open_history(AppState& state, AppContext& context) {
  // Covers are known from the listing, the card's titles, the favourites and, for titles that
  // have left all of them, from what was kept when they were read.
  std::vector<MangaItem> known = state.home.all_items;
  known.insert(known.end(), state.local_library.titles.begin(), state.local_library.titles.end());
  const FavoritesList favorites = context.store.load_favorites();
  known.insert(known.end(), favorites.begin(), favorites.end());
  const FavoritesList& read = context.store.history_covers();
  known.insert(known.end(), read.begin(), read.end());
  HistoryTitles titles = history_titles(context.store.load_history(), known);
  show_other_source(state, HomeSource::History, std::move(titles.originals),
                    std::move(titles.shown));
}

// The front page as it was left, in the view the user has chosen since.
void return_to_front_page(AppState& state) {
  if (!state.front_page) return;
  const bool grid_view = state.home.grid_view;
  state.home = std::move(*state.front_page);
  state.front_page.reset();
  if (state.home.grid_view == grid_view) return;
  state.home.grid_view = grid_view;
  scroll_selection_into_view(state);
}

// The history's cards carry the reading position as their chapter line and the library's what
// the card holds; the title opens as the listing knows it, found by its address among the
// originals.
MangaItem selected_title(const HomeState& home) {
  const MangaItem& shown = home.displayed_items[home.home_selected];
  if (home.source != HomeSource::History && home.source != HomeSource::Library) return shown;
  const auto original =
      std::find_if(home.all_items.begin(), home.all_items.end(),
                   [&shown](const MangaItem& item) { return item.url == shown.url; });
  return original != home.all_items.end() ? *original : shown;
}

void open_selected_title(AppState& state, AppContext& context) {
  if (state.home.home_selected >= state.home.displayed_items.size()) return;
  context.go(transition::OpenTitle{selected_title(state.home)});
}

// A start without network leaves no listing; A asks the site again. The answer is applied like the
// first one.
void retry_home_listing(AppState& state, AppContext& context) {
  state.home.home_error.reset();
  state.home.home_loading = true;
  context.jobs.start(job::HomeListing{});
}

void cycle_sort(AppState& state) {
  state.home.sort_mode = next_sort_mode(state.home.sort_mode);
  apply_sort(state.home.displayed_items, state.home.source_items, state.home.sort_mode);
  state.home.home_selected = 0;
  state.home.home_scroll = 0;
}

void toggle_favorites_filter(AppState& state, AppContext& context) {
  // The favourites are read anew on every press: the file is the only copy.
  if (state.home.favorites_only) {
    show_home_items(state.home, state.home.all_items);
  } else {
    std::vector<MangaItem> favourites = favourites_among_shown(state.home, context.store);
    // Search results are as fresh as can be; the front page's favourites are checked.
    if (state.home.source == HomeSource::FrontPage)
      start_favourites_check(state, context, favourites);
    show_home_items(state.home, std::move(favourites));
  }
  state.home.favorites_only = !state.home.favorites_only;
  state.home.home_selected = 0;
  state.home.home_scroll = 0;
}

}  // namespace

bool handle_home_button(AppState& state, Button button, AppContext& context) {
  switch (button) {
    case Button::Up:
    case Button::Down:
    case Button::Left:
    case Button::Right:
      move(state, button);
      return false;
    case Button::A:
      if (!state.home.home_loading && home_listing_failed_with_nothing_shown(state.home)) {
        if (state.home.source == HomeSource::Search) {
          show_search(state, context.jobs, state.home.search_query);
        } else {
          retry_home_listing(state, context);
        }
      } else {
        open_selected_title(state, context);
      }
      return false;
    case Button::B:
      if (state.home.source != HomeSource::FrontPage) {
        return_to_front_page(state);
        return false;
      }
      log_line("App", "Clean exit to MainUI via Button B.");
      return true;
    case Button::X:
      switch_view(state);
      return false;
    case Button::Y:
      if (shows_all_keys(state.home.source)) cycle_sort(state);
      return false;
    case Button::Select:
      if (shows_all_keys(state.home.source)) toggle_favorites_filter(state, context);
      return false;
    case Button::L1:
      if (state.home.source == HomeSource::FrontPage)
        open_library(state, context);
      else if (state.home.source == HomeSource::Library)
        return_to_front_page(state);
      return false;
    case Button::L2:
      if (state.home.source == HomeSource::FrontPage)
        open_history(state, context);
      else if (state.home.source == HomeSource::History)
        return_to_front_page(state);
      return false;
    case Button::R2:
      // The keyboard, with what was typed last; from the history the way back is L2 or B.
      if (shows_all_keys(state.home.source)) context.go(transition::Show{Screen::Search});
      return false;
    case Button::Start:
      context.go(transition::OpenUpdate{});
      return false;
    default:  // nothing to do here; MENU is the dispatch's
      return false;
  }
}

}  // namespace zentomi
