#include "screens/common/chapter_opening.hpp"

#include <algorithm>
#include <utility>

namespace zentomi {

void open_chapter(AppState& state, AppContext& context, const std::string& title,
                  const std::string& url, std::size_t start_page) {
  ReaderState opened;
  opened.chapter_title = title;
  opened.chapter_url = url;
  opened.hud_visible = state.reader.hud_visible;
  opened.scroll_reading = state.reader.scroll_reading;
  opened.strip_width = state.reader.strip_width;
  opened.reader_loading = true;
  opened.resume_pending = true;
  opened.resume_page = start_page;
  opened.pages_request = ++state.last_request;
  state.reader = std::move(opened);
  context.jobs.start(job::ChapterPages{url, state.reader.pages_request});
  state.screen = Screen::Reader;
}

const ChapterRef* next_chapter(const DetailState& details, const std::string& chapter_url) {
  const auto& chapters = details.chapters_site_order;
  const auto found = std::find_if(chapters.begin(), chapters.end(), [&](const ChapterRef& chapter) {
    return chapter.url == chapter_url;
  });
  if (found == chapters.end() || found == chapters.begin()) return nullptr;
  return &*(found - 1);
}

}  // namespace zentomi
