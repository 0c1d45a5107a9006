#pragma once

#include <cstddef>

#include "draw/text.hpp"

namespace zentomi {

// Shown in the middle of the reader while the page image is being fetched (page_number is
// 1-based); without a page count yet, it says that the page list is being fetched.
void draw_page_loading_panel(Renderer& renderer, std::size_t page_number, std::size_t page_count);
// The same panel centred on the row `cy` (in scroll reading, the empty part under a page).
void draw_page_loading_panel(Renderer& renderer, std::size_t page_number, std::size_t page_count,
                             int cy);

// Shown when the page cannot be shown: no image and nothing loading, or an image too thin to be
// drawn one pixel high.
void draw_page_failure_text(Renderer& renderer);

// Shown instead for a chapter without pages, centred where the failure text stands.
void draw_empty_chapter_text(Renderer& renderer);

}  // namespace zentomi
