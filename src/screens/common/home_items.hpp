#pragma once

#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"

namespace zentomi {

// Makes `items` what the home screen is built from and shows them in its sort order. The
// selection is the caller's to place.
void show_home_items(HomeState& home, std::vector<MangaItem> items);

}  // namespace zentomi
