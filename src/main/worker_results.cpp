#include "main/worker_results.hpp"

#include <string>
#include <utility>
#include <variant>

#include "model/overloaded.hpp"
#include "platform/log.hpp"
#include "storage/ordering.hpp"

namespace zentomi {
namespace {

void apply_home_loaded(AppState& state, HomeLoaded& loaded) {
  state.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Home load error: " + loaded.result.error());
    return;
  }
  state.all_items = std::move(*loaded.result);
  // With the favourites filter on, the favourites stay on screen until it is turned off.
  if (state.favorites_only) return;
  state.source_items = state.all_items;
  state.displayed_items = state.source_items;
  apply_sort(state.displayed_items, state.source_items, state.sort_mode);
  state.home_selected = 0;
  state.home_scroll = 0;
}

// Only the image of the page on screen is kept; one the user has turned away from is dropped.
void apply_page_image_loaded(AppState& state, PageImageLoaded& loaded, AppContext& context) {
  if (loaded.page_index != state.page_index) return;
  state.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Page " + std::to_string(loaded.page_index) +
                              " image error: " + loaded.result.error());
    return;
  }
  state.page_image = std::move(*loaded.result);
  context.store.record_progress(state.current_item, state.chapter_title, state.chapter_url,
                                state.page_index, state.pages.size(), state.current_history,
                                context.wall_clock());
}

}  // namespace

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  std::visit(Overloaded{
                 [&](HomeLoaded& loaded) { apply_home_loaded(state, loaded); },
                 [](DetailLoaded&) {},
                 [](PagesLoaded&) {},
                 [&](PageImageLoaded& loaded) { apply_page_image_loaded(state, loaded, context); },
                 [](UpdateCheckResult&) {},
                 [](UpdateInstallResult&) {},
             },
             result);
}

}  // namespace zentomi
