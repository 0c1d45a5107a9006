#pragma once

#include <cstddef>

#include "model/app_state.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Saves the reading position of the current chapter at `page` (of the whole page list) and makes
// it the current history entry. Nothing is saved without a title or a chapter.
void save_reading_progress(AppState& state, AppContext& context, std::size_t page);

// A page image has arrived: the page shown, or the one fetched ahead of it in scroll reading.
// Anything else (another chapter, an older request) is dropped.
void apply_page_image(AppState& state, PageImageLoaded& loaded, AppContext& context);

// Starts the image job of the page shown, tagged with its index and chapter.
void request_page_image(AppState& state, AppContext& context);

// After the strip moved or changed: the page scrolled past is let go, the scroll kept within the
// strip, and the next page fetched when its time has come.
void settle_strip(AppState& state, AppContext& context);

}  // namespace zentomi
