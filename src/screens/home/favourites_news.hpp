#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"
#include "screens/common/jobs.hpp"
#include "storage/store.hpp"

namespace zentomi {

// Favourites brought up to date by whatever names them: the front page, a search and a title's
// details refresh their chapter lines for free (saved only when one changed).

// A listing (front page or search) arrived: the favourites it names take its chapter lines, in the
// file and on screen, and news it contradicts are forgotten until the next check.
void learn_from_listing(AppState& state, Store& store, const std::vector<MangaItem>& listed);

// A title's details arrived: a favourite takes its newest chapter and its news, counted from the
// chapter the history names.
void learn_from_detail(AppState& state, Store& store, const DetailLoaded& loaded,
                       std::chrono::system_clock::time_point now);

// The check of the favourites: started when the favourites filter is turned on over the front
// page, stopped as soon as they are no longer in front.

// Asks for the favourites of `favourites` whose news are due (bounded by check_targets); nothing
// when none is.
void start_favourites_check(AppState& state, AppContext& context, const FavoritesList& favourites);
// Stops a running check unless the front page's favourites are still on the home screen.
void keep_check_in_view(AppState& state, Jobs& jobs);

// A favourite refreshed by a check, current or stopped: its news and its newest chapter are kept.
void apply_favourite_refreshed(AppState& state, Store& store, FavouriteRefreshed& refreshed,
                               std::chrono::system_clock::time_point now);
// The end of the current check; a failure is logged in one line.
void apply_favourites_check_ended(AppState& state, const FavouritesCheckEnded& ended);

// Makes the news of the title opened last count from the chapter its history names now, before a
// press can open another title in its place.
void note_reading(AppState& state);

// The chapters after the one last read of a favourite shown on the home screen (the title being
// read counts from its current history record); nothing when unknown.
std::optional<std::size_t> new_chapters(const AppState& state, const MangaItem& item);

}  // namespace zentomi
