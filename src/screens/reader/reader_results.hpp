#pragma once

#include <cstddef>
#include <string>

#include "model/app_state.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// What reaches the reader from elsewhere; each writes the reader's record (and the request
// numbers it hands out) alone.

// A new chapter starts with nothing of the previous one kept but the HUD's visibility, the
// reading mode and the strip width: the page list and the image arrive from jobs, and the start
// page is applied once the list is known.
void open_chapter(AppState& state, AppContext& context, const std::string& title,
                  const std::string& url, std::size_t start_page);

// Another title was opened: nothing of the previous title's chapter may be saved under it.
void forget_chapter(AppState& state);

// The page list of a chapter the user has since left is dropped, so its page numbers never reach
// another chapter's history.
void apply_pages_loaded(AppState& state, PagesLoaded& loaded, AppContext& context);

}  // namespace zentomi
