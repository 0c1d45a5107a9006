#pragma once

#include <string>

#include "model/app_state.hpp"

namespace zentomi {

// The chapter after `chapter_url` in reading order, or null when it is the newest or not in the
// title's list. The site lists chapters newest first, so it is the one before it there.
const ChapterRef* next_chapter(const DetailState& details, const std::string& chapter_url);

}  // namespace zentomi
