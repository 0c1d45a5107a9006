#include "screens/reader/reader_pages.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "model/site_address.hpp"
#include "platform/background_release.hpp"
#include "platform/log.hpp"
#include "screens/reader/reader_controller.hpp"
#include "screens/reader/scroll_geometry.hpp"
#include "screens/reader/strip.hpp"

namespace zentomi {
namespace {

job::PageImage page_job(AppState& state, std::size_t index, std::uint64_t request) {
  return job::PageImage{state.reader.pages[index], index, state.reader.chapter_url, request,
                        static_cast<std::uint32_t>(std::max(state.screen_width, 0))};
}

// A chapter opening on a tall strip is read by scrolling; one of ordinary pages as it was left.
void choose_mode(ReaderState& reader) {
  if (reader.mode_chosen || !reader.page_image) return;
  reader.mode_chosen = true;
  const RgbaImage& image = *reader.page_image;
  if (!reader.scroll_reading && is_tall_strip(image.own_width(), image.own_height())) {
    reader.reset_view();
    reader.scroll_reading = true;
  }
}

void show_arrived_page(AppState& state, SharedImage image, AppContext& context) {
  ReaderState& reader = state.reader;
  release_in_background(std::exchange(reader.page_image, std::move(image)));
  choose_mode(reader);
  if (reader.scroll_to_bottom && reader.page_image) {
    reader.scroll = scroll_geometry::bottom(state.screen_width, state.screen_height,
                                            *reader.page_image, reader.strip_width);
  }
  reader.scroll_to_bottom = false;
  save_reading_progress(state, context, reader.page_index);
  settle_strip(state, context);
}

void show_arrived_next(AppState& state, PageImageLoaded& loaded, AppContext& context) {
  ReaderState& reader = state.reader;
  reader.next_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Page " + std::to_string(loaded.page_index) +
                              " image error: " + loaded.result.error());
    reader.next_failed = true;
    reader.waiting_scrolls = 0;
    return;
  }
  reader.next_image = std::move(*loaded.result);
  apply_held_downs(state, context);
}

}  // namespace

void save_reading_progress(AppState& state, AppContext& context, std::size_t page) {
  context.store.record_progress(state.details.current_item, state.reader.chapter_title,
                                state.reader.chapter_url, page, state.reader.pages.size(),
                                state.details.current_history, context.wall_clock());
}

void apply_page_image(AppState& state, PageImageLoaded& loaded, AppContext& context) {
  ReaderState& reader = state.reader;
  if (!same_title(loaded.chapter_url, reader.chapter_url)) return;
  if (loaded.request == reader.next_request && reader.next_loading &&
      loaded.page_index == reader.page_index + 1) {
    show_arrived_next(state, loaded, context);
    return;
  }
  if (loaded.page_index != reader.page_index || loaded.request != reader.image_request) return;
  reader.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Page " + std::to_string(loaded.page_index) +
                              " image error: " + loaded.result.error());
    return;
  }
  show_arrived_page(state, std::move(*loaded.result), context);
}

void request_page_image(AppState& state, AppContext& context) {
  if (state.reader.page_index >= state.reader.pages.size()) return;
  state.reader.image_request = ++state.last_request;
  context.jobs.start(page_job(state, state.reader.page_index, state.reader.image_request));
}

void settle_strip(AppState& state, AppContext& context) {
  ReaderState& reader = state.reader;
  if (!reader.scroll_reading) return;
  while (strip::passed_page(state)) {
    reader.scroll -= static_cast<std::int32_t>(strip::height(state, *reader.page_image));
    reader.page_image = std::move(reader.next_image);
    reader.image_request = reader.next_request;
    const int waiting = reader.waiting_scrolls;
    reader.drop_next();
    reader.waiting_scrolls = waiting;
    ++reader.page_index;
    save_reading_progress(state, context, reader.page_index);
  }
  reader.scroll = std::clamp(reader.scroll, 0, strip::limit(state));
  if (strip::wants_next(state)) {
    reader.next_request = ++state.last_request;
    reader.next_loading = true;
    context.jobs.start(page_job(state, reader.page_index + 1, reader.next_request));
  }
}

}  // namespace zentomi
