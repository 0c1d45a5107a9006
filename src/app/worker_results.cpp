#include "app/worker_results.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <variant>

#include "model/overloaded.hpp"
#include "model/site_address.hpp"
#include "platform/background_release.hpp"
#include "platform/log.hpp"
#include "screens/common/home_items.hpp"
#include "screens/common/home_library.hpp"
#include "screens/common/home_sources.hpp"
#include "screens/reader/reader_pages.hpp"
#include "screens/update/update_controller.hpp"

namespace zentomi {
namespace {

// While the history or search results are shown, the listing goes to the front page kept for
// the way back.
void apply_home_loaded(AppState& state, HomeLoaded& loaded) {
  HomeState& home = front_page_record(state);
  home.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Home load error: " + loaded.result.error());
    home.home_error = std::move(loaded.result.error());
    return;
  }
  home.home_error.reset();
  home.all_items = std::move(*loaded.result);
  // With the favourites filter on, the favourites stay on screen until it is turned off.
  if (home.favorites_only) return;
  show_home_items(home, home.all_items);
  home.home_selected = 0;
  home.home_scroll = 0;
}

// Only the answer to the search on screen is shown: one for a query the user has since replaced,
// or from a search the user has left, is dropped.
void apply_search_loaded(AppState& state, SearchLoaded& loaded) {
  if (state.home.source != HomeSource::Search || loaded.query != state.home.search_query) return;
  state.home.home_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Search error: " + loaded.result.error());
    state.home.home_error = std::move(loaded.result.error());
    return;
  }
  state.home.home_error.reset();
  state.home.all_items = std::move(*loaded.result);
  state.home.favorites_only = false;
  show_home_items(state.home, state.home.all_items);
  state.home.home_selected = 0;
  state.home.home_scroll = 0;
}

// The library on screen follows the scan; an unchanged folder changes nothing.
void apply_local_scanned(AppState& state, LocalScanned& scanned) {
  if (!scanned.result) {
    log_line("Library", "Scan error: " + scanned.result.error());
    return;
  }
  state.local_library.fingerprint = scanned.fingerprint;
  if (scanned.unchanged) return;
  state.local_library.titles = std::move(*scanned.result);
  refresh_library(state);
}

// A late answer for a title the user has left is dropped: its chapters shown under another title
// would let reading progress be saved under the wrong URL.
void apply_detail_loaded(AppState& state, DetailLoaded& loaded, AppContext& context) {
  if (!state.details.current_item || !same_title(state.details.current_item->url, loaded.url))
    return;
  state.details.detail_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Detail load error: " + loaded.result.error());
    state.details.detail_error = loaded.result.error();
    return;
  }
  MangaDetail& detail = *loaded.result;
  // The listing's cover is preferred over the one found on the page.
  if (!state.details.current_item->thumb_url.empty())
    detail.cover_url = state.details.current_item->thumb_url;
  // The list is kept once in site order and once as shown; the detail's own copy would be a
  // third, which for a title of many thousand chapters is many megabytes.
  state.details.chapters_site_order = std::move(detail.chapters);
  detail.chapters.clear();
  state.details.chapters = state.details.chapters_site_order;
  if (state.details.chapters_reversed)
    std::reverse(state.details.chapters.begin(), state.details.chapters.end());
  state.details.chapter_selected = 0;
  state.details.chapter_scroll = 0;
  state.details.detail = std::move(detail);
  state.details.detail_error.reset();
  state.details.current_history = context.store.get_history_entry(state.details.current_item->url);
}

// The page list of a chapter the user has since left is dropped, so its page numbers never reach
// another chapter's history.
void apply_pages_loaded(AppState& state, PagesLoaded& loaded, AppContext& context) {
  if (!same_title(loaded.chapter_url, state.reader.chapter_url) ||
      loaded.request != state.reader.pages_request) {
    return;
  }
  state.reader.reader_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Pages load error: " + loaded.result.error());
    return;
  }
  state.reader.pages = std::move(*loaded.result);
  const std::size_t count = state.reader.pages.size();
  state.reader.page_index =
      state.reader.resume_pending && count > 0 ? std::min(state.reader.resume_page, count - 1) : 0;
  state.reader.resume_pending = false;
  release_in_background(std::move(state.reader.page_image));
  release_in_background(std::move(state.reader.next_image));
  state.reader.drop_next();
  state.reader.reset_view();
  if (state.reader.page_index < count) {
    request_page_image(state, context);
    state.reader.reader_loading = true;
  }
}

}  // namespace

void apply_worker_result(AppState& state, WorkerResult result, AppContext& context) {
  std::visit(
      Overloaded{
          [&](HomeLoaded& loaded) { apply_home_loaded(state, loaded); },
          [&](DetailLoaded& loaded) { apply_detail_loaded(state, loaded, context); },
          [&](PagesLoaded& loaded) { apply_pages_loaded(state, loaded, context); },
          [&](PageImageLoaded& loaded) { apply_page_image(state, loaded, context); },
          [&](UpdateCheckResult& checked) { apply_update_check_result(state, checked); },
          [&](UpdateInstallResult& installed) { apply_update_install_result(state, installed); },
          [&](SearchLoaded& loaded) { apply_search_loaded(state, loaded); },
          [&](LocalScanned& scanned) { apply_local_scanned(state, scanned); },
      },
      result);
}

}  // namespace zentomi
