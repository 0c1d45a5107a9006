#include "screens/common/chapter_opening.hpp"

#include <algorithm>

namespace zentomi {

const ChapterRef* next_chapter(const DetailState& details, const std::string& chapter_url) {
  const auto& chapters = details.chapters_site_order;
  const auto found = std::find_if(chapters.begin(), chapters.end(), [&](const ChapterRef& chapter) {
    return chapter.url == chapter_url;
  });
  if (found == chapters.end() || found == chapters.begin()) return nullptr;
  return &*(found - 1);
}

}  // namespace zentomi
