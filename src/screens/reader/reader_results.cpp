#include "screens/reader/reader_results.hpp"

#include <algorithm>
#include <utility>

#include "model/site_address.hpp"
#include "platform/background_release.hpp"
#include "platform/log.hpp"
#include "screens/reader/reader_pages.hpp"

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
  // The pages of the chapter left may be megabytes: they are freed off the main thread.
  release_in_background(std::move(state.reader.page_image));
  release_in_background(std::move(state.reader.next_image));
  state.reader = std::move(opened);
  context.jobs.start(job::ChapterPages{url, state.reader.pages_request});
}

void forget_chapter(AppState& state) {
  state.reader.chapter_url.clear();
}

void apply_pages_loaded(AppState& state, PagesLoaded& loaded, AppContext& context) {
  ReaderState& reader = state.reader;
  if (!same_title(loaded.chapter_url, reader.chapter_url) || loaded.request != reader.pages_request)
    return;
  reader.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Pages load error: " + loaded.result.error());
    return;
  }
  reader.pages = std::move(*loaded.result);
  const std::size_t count = reader.pages.size();
  reader.page_index =
      reader.resume_pending && count > 0 ? std::min(reader.resume_page, count - 1) : 0;
  reader.resume_pending = false;
  release_in_background(std::move(reader.page_image));
  release_in_background(std::move(reader.next_image));
  reader.drop_next();
  reader.reset_view();
  if (reader.page_index < count) {
    request_page_image(state, context);
    reader.reader_loading = true;
  }
}

}  // namespace zentomi
