#include "screens/common/home_items.hpp"

#include <utility>

#include "storage/ordering.hpp"

namespace zentomi {

void show_home_items(HomeState& home, std::vector<MangaItem> items) {
  home.source_items = std::move(items);
  home.displayed_items = home.source_items;
  apply_sort(home.displayed_items, home.source_items, home.sort_mode);
}

}  // namespace zentomi
