#include "app/worker_results.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

#include "model/overloaded.hpp"
#include "platform/log.hpp"
#include "screens/reader/reader_pages.hpp"
#include "screens/update/update_controller.hpp"
#include "storage/ordering.hpp"

namespace zentomi {
namespace {

void apply_home_loaded(AppState& state, HomeLoaded& loaded) {
  state.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Home load error: " + loaded.result.error());
    state.home_error = std::move(loaded.result.error());
    return;
  }
  state.home_error.reset();
  state.all_items = std::move(*loaded.result);
  // With the favourites filter on, the favourites stay on screen until it is turned off.
  if (state.favorites_only) return;
  state.source_items = state.all_items;
  state.displayed_items = state.source_items;
  apply_sort(state.displayed_items, state.source_items, state.sort_mode);
  state.home_selected = 0;
  state.home_scroll = 0;
}

// A late answer for a title the user has left is dropped: its chapters shown under another title
// would let reading progress be saved under the wrong URL.
void apply_detail_loaded(AppState& state, DetailLoaded& loaded, AppContext& context) {
  if (!state.current_item || state.current_item->url != loaded.url) return;
  state.detail_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Detail load error: " + loaded.result.error());
    state.detail_error = loaded.result.error();
    return;
  }
  MangaDetail& detail = *loaded.result;
  // The listing's cover is preferred over the one found on the page.
  if (!state.current_item->thumb_url.empty()) detail.cover_url = state.current_item->thumb_url;
  state.chapters_site_order = detail.chapters;
  state.chapters = state.chapters_site_order;
  if (state.chapters_reversed) std::reverse(state.chapters.begin(), state.chapters.end());
  state.chapter_selected = 0;
  state.chapter_scroll = 0;
  state.detail = std::move(detail);
  state.detail_error.reset();
  state.current_history = context.store.get_history_entry(state.current_item->url);
}

// The page list of a chapter the user has since left is dropped, so its page numbers never reach
// another chapter's history.
void apply_pages_loaded(AppState& state, PagesLoaded& loaded, AppContext& context) {
  if (loaded.chapter_url != state.chapter_url) return;
  state.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Pages load error: " + loaded.result.error());
    return;
  }
  state.pages = std::move(*loaded.result);
  const std::size_t count = state.pages.size();
  state.page_index = state.resume_pending && count > 0 ? std::min(state.resume_page, count - 1) : 0;
  state.resume_pending = false;
  state.page_image.reset();
  state.zoom = 0;
  state.pan_x = 0;
  state.pan_y = 0;
  if (state.page_index < count) {
    request_page_image(state, context);
    state.reader_loading = true;
  }
}

// Only the image of the page on screen, of the chapter on screen, is kept; one the user has turned
// away from is dropped.
void apply_page_image_loaded(AppState& state, PageImageLoaded& loaded, AppContext& context) {
  if (loaded.page_index != state.page_index || loaded.chapter_url != state.chapter_url) return;
  state.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Page " + std::to_string(loaded.page_index) +
                              " image error: " + loaded.result.error());
    return;
  }
  state.page_image = std::move(*loaded.result);
  save_reading_progress(state, context, state.page_index);
}

}  // namespace

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  std::visit(
      Overloaded{
          [&](HomeLoaded& loaded) { apply_home_loaded(state, loaded); },
          [&](DetailLoaded& loaded) { apply_detail_loaded(state, loaded, context); },
          [&](PagesLoaded& loaded) { apply_pages_loaded(state, loaded, context); },
          [&](PageImageLoaded& loaded) { apply_page_image_loaded(state, loaded, context); },
          [&](UpdateCheckResult& checked) { apply_update_check_result(state, checked); },
          [&](UpdateInstallResult& installed) { apply_update_install_result(state, installed); },
      },
      result);
}

}  // namespace zentomi
