#include "screens/reader/reader_pages.hpp"

namespace zentomi {

void save_reading_progress(AppState& state, AppContext& context, std::size_t page) {
  context.store.record_progress(state.current_item, state.chapter_title, state.chapter_url, page,
                                state.pages.size(), state.current_history, context.wall_clock());
}

void request_page_image(AppState& state, AppContext& context) {
  if (state.page_index >= state.pages.size()) return;
  context.jobs.start(
      job::PageImage{state.pages[state.page_index], state.page_index, state.chapter_url});
}

}  // namespace zentomi
