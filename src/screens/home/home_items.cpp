#include "screens/home/home_items.hpp"

#include <utility>

#include "storage/ordering.hpp"

namespace zentomi {

void show_home_items(HomeState& home, std::vector<MangaItem> items) {
  home.source_items = std::move(items);
  home.displayed_items = home.source_items;
  apply_sort(home.displayed_items, home.source_items, home.sort_mode);
}

std::vector<MangaItem> favourites_among_shown(const HomeState& home, Store& store) {
  if (home.source != HomeSource::Search) return store.load_favorites();
  std::vector<MangaItem> favourites;
  for (const MangaItem& item : home.all_items) {
    if (store.is_favorite(item.url)) favourites.push_back(item);
  }
  return favourites;
}

}  // namespace zentomi
