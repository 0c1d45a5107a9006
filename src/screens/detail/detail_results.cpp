#include "screens/detail/detail_results.hpp"

#include <algorithm>
#include <utility>

#include "model/site_address.hpp"
#include "platform/log.hpp"
#include "screens/detail/detail_downloads.hpp"

namespace zentomi {

void open_title(AppState& state, AppContext& context, MangaItem item) {
  DetailState& details = state.details;
  details.current_history = context.store.get_history_entry(item.url);
  details.current_item = std::move(item);
  details.detail.reset();
  details.detail_error.reset();
  details.chapters_site_order.clear();
  details.chapters.clear();
  details.from_card = false;
  details.delete_asked.reset();
  context.jobs.start(job::Detail{details.current_item->url});
  details.detail_loading = true;
}

void apply_detail_loaded(AppState& state, DetailLoaded& loaded, AppContext& context) {
  DetailState& details = state.details;
  if (!details.current_item || !same_title(details.current_item->url, loaded.url)) return;
  details.detail_loading = false;
  if (!loaded.result) {
    log_line("NetTruyen", "Detail load error: " + loaded.result.error());
    details.detail_error = loaded.result.error();
    if (context.downloads) show_stored_detail(state, *context.downloads);
    return;
  }
  details.from_card = false;
  MangaDetail& detail = *loaded.result;
  // The listing's cover is preferred over the one found on the page.
  if (!details.current_item->thumb_url.empty()) detail.cover_url = details.current_item->thumb_url;
  // The list is kept once in site order and once as shown; the detail's own copy would be a
  // third, which for a title of many thousand chapters is many megabytes.
  details.chapters_site_order = std::move(detail.chapters);
  detail.chapters.clear();
  details.chapters = details.chapters_site_order;
  if (details.chapters_reversed) std::reverse(details.chapters.begin(), details.chapters.end());
  details.chapter_selected = 0;
  details.chapter_scroll = 0;
  details.detail = std::move(detail);
  details.detail_error.reset();
  details.current_history = context.store.get_history_entry(details.current_item->url);
}

}  // namespace zentomi
