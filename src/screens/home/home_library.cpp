#include "screens/home/home_library.hpp"

#include <algorithm>
#include <utility>

#include "platform/log.hpp"
#include "screens/home/home_items.hpp"
#include "screens/home/home_sources.hpp"

namespace zentomi {

std::vector<MangaItem> library_items(const AppState& state) {
  return state.local_library.titles;
}

void open_library(AppState& state, Jobs& jobs) {
  std::vector<MangaItem> items = library_items(state);
  show_other_source(state, HomeSource::Library, items, items);
  jobs.start(job::LocalScan{state.local_library.fingerprint});
}

void refresh_library(AppState& state) {
  if (state.home.source != HomeSource::Library) return;
  HomeState& home = state.home;
  home.all_items = library_items(state);
  show_home_items(home, home.all_items);
  const std::size_t count = home.displayed_items.size();
  home.home_selected = count == 0 ? 0 : std::min(home.home_selected, count - 1);
  home.home_scroll = std::min(home.home_scroll, home.home_selected);
}

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

}  // namespace zentomi
