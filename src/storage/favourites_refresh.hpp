#pragma once

#include <chrono>
#include <string_view>
#include <vector>

#include "model/favourites_news.hpp"
#include "model/manga.hpp"
#include "storage/store.hpp"
#include "storage/store_paths.hpp"

namespace zentomi {

// Gives every item naming the same title as `url` the chapter line `chapter` (an empty one changes
// nothing). True when an item changed.
bool set_latest_chapter(std::vector<MangaItem>& items, std::string_view url,
                        std::string_view chapter);

// Gives each item the chapter line a listed title of the same identity shows. True when an item
// changed.
bool refresh_from_listing(std::vector<MangaItem>& items, const std::vector<MangaItem>& listed);

// The favourites with `change` applied, saved (same form, same order) only when it changed them.
template <typename Change>
bool refresh_stored_favourites(Store& store, Change&& change) {
  FavoritesList favourites = store.load_favorites();
  if (!change(favourites)) return false;
  store.save_favorites(favourites);
  return true;
}

// What a check refreshes: the favourites whose news are due at `now`, newest favourite first (the
// file's order), at most MAX_CHECKED_FAVOURITES, each with the chapter the history last names.
std::vector<FavouriteTarget> check_targets(const FavoritesList& favourites,
                                           const HistoryMap& history, const FavouritesNews& news,
                                           std::chrono::system_clock::time_point now);

}  // namespace zentomi
