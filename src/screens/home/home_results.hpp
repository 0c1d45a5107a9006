#pragma once

#include <string>

#include "model/app_state.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// What reaches the home screen from elsewhere: the answers of its jobs and the ways back to it.
// Each writes the home screen's records alone (state.home and the front page kept aside).

// The front page's listing arrived (or failed); while the history or search results are shown it
// goes to the front page kept for the way back.
void apply_home_loaded(AppState& state, HomeLoaded& loaded);
// Only the answer to the search on screen is shown.
void apply_search_loaded(AppState& state, SearchLoaded& loaded);

// Asks the site for `query`; its results will replace whatever the search showed.
void show_search(AppState& state, Jobs& jobs, std::string query);

// Back from a title: with the favourites filter on, the list is filtered anew (a favourite may
// have been added or removed meanwhile) the same way the filter key filters it.
void return_from_title(AppState& state, AppContext& context);

}  // namespace zentomi
