#include "screens/home/home_sources.hpp"

#include <utility>

#include "screens/home/home_items.hpp"

namespace zentomi {
namespace {

void keep_front_page(AppState& state) {
  if (state.home.source == HomeSource::FrontPage) state.front_page = state.home;
}

}  // namespace

void show_other_source(AppState& state, HomeSource source, std::vector<MangaItem> originals,
                       std::vector<MangaItem> items) {
  keep_front_page(state);
  HomeState& home = state.home;
  home.source = source;
  home.all_items = std::move(originals);
  home.favorites_only = false;
  home.home_loading = false;
  home.home_error.reset();
  // The history keeps its own order, newest read first, and the library its own.
  if (source == HomeSource::History || source == HomeSource::Library)
    home.sort_mode = SortMode::Latest;
  show_home_items(home, std::move(items));
  home.home_selected = 0;
  home.home_scroll = 0;
}

HomeState& front_page_record(AppState& state) {
  return state.front_page ? *state.front_page : state.home;
}

}  // namespace zentomi
