#pragma once

#include <cstddef>
#include <string>

#include "model/app_state.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// Opens a chapter in the reader at `start_page` (applied once its page list arrives). Nothing of
// the previous chapter is kept but the HUD's visibility and the reading mode.
void open_chapter(AppState& state, AppContext& context, const std::string& title,
                  const std::string& url, std::size_t start_page);

// The chapter after `chapter_url` in reading order, or null when it is the newest or not in the
// title's list. The site lists chapters newest first, so it is the one before it there.
const ChapterRef* next_chapter(const DetailState& details, const std::string& chapter_url);

}  // namespace zentomi
