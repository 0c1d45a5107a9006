#pragma once

#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "storage/store.hpp"

namespace zentomi {

// Makes `items` what the home screen is built from and shows them in its sort order. The
// selection is the caller's to place.
void show_home_items(HomeState& home, std::vector<MangaItem> items);

// What the favourites filter shows, decided here alone: over search results the favourites among
// them, anywhere else every favourite, read anew (the file is the only copy).
std::vector<MangaItem> favourites_among_shown(const HomeState& home, Store& store);

}  // namespace zentomi
