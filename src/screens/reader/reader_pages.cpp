#include "screens/reader/reader_pages.hpp"

#include <utility>

#include "platform/background_release.hpp"
#include "screens/reader/scroll_geometry.hpp"

namespace zentomi {

void save_reading_progress(AppState& state, AppContext& context, std::size_t page) {
  context.store.record_progress(state.details.current_item, state.reader.chapter_title,
                                state.reader.chapter_url, page, state.reader.pages.size(),
                                state.details.current_history, context.wall_clock());
}

void show_arrived_page(AppState& state, SharedImage image) {
  ReaderState& reader = state.reader;
  release_in_background(std::exchange(reader.page_image, std::move(image)));
  if (reader.scroll_to_bottom && reader.page_image) {
    reader.scroll =
        scroll_geometry::bottom(state.screen_width, state.screen_height, *reader.page_image);
  }
  reader.scroll_to_bottom = false;
}

void request_page_image(AppState& state, AppContext& context) {
  if (state.reader.page_index >= state.reader.pages.size()) return;
  state.reader.image_request = ++state.last_request;
  context.jobs.start(job::PageImage{state.reader.pages[state.reader.page_index],
                                    state.reader.page_index, state.reader.chapter_url,
                                    state.reader.image_request});
}

}  // namespace zentomi
