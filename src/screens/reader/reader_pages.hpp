#pragma once

#include <cstddef>

#include "model/app_state.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Saves the reading position of the current chapter at `page` (of the whole page list) and makes
// it the current history entry. Nothing is saved without a title or a chapter.
void save_reading_progress(AppState& state, AppContext& context, std::size_t page);

// The image of the page shown has arrived: a page reached by scrolling back up starts at its
// bottom.
void show_arrived_page(AppState& state, SharedImage image);

// Starts the image job of the page shown, tagged with its index and chapter.
void request_page_image(AppState& state, AppContext& context);

}  // namespace zentomi
