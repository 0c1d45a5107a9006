#pragma once

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// What reaches the detail screen from elsewhere; each writes state.details alone.

// Opens `item` as it was listed and asks the site for its details.
void open_title(AppState& state, AppContext& context, MangaItem item);

// A late answer for a title the user has left is dropped: its chapters shown under another title
// would let reading progress be saved under the wrong URL.
void apply_detail_loaded(AppState& state, DetailLoaded& loaded, AppContext& context);

}  // namespace zentomi
