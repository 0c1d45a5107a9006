#pragma once

#include <string>
#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "screens/common/jobs.hpp"

namespace zentomi {

// The reading history and search results take the front page's place in the home screen's own
// record, so its grid, list, keys and drawing serve them unchanged; the front page waits in
// `state.front_page` until the user comes back to it.

// Shows `items` of `source` from the top, in their own order and the current view. `originals`
// are the titles as opened (A); the shown ones may carry other chapter lines.
void show_other_source(AppState& state, HomeSource source, std::vector<MangaItem> originals,
                       std::vector<MangaItem> items);

// The front page's record, wherever it is at the moment.
HomeState& front_page_record(AppState& state);

}  // namespace zentomi
