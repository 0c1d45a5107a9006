#include "screens/home/home_library.hpp"

#include <algorithm>
#include <utility>

#include "platform/log.hpp"
#include "screens/home/home_items.hpp"
#include "screens/home/home_sources.hpp"

namespace zentomi {

std::string downloaded_chapters_line(std::size_t count) {
  return std::to_string(count) + " chương đã tải";
}

LibraryItems library_items(const AppState& state) {
  const LocalLibraryState& library = state.local_library;
  LibraryItems items;
  items.originals = library.downloaded;
  items.shown = library.downloaded;
  for (std::size_t n = 0; n < items.shown.size() && n < library.downloaded_lines.size(); ++n)
    items.shown[n].latest_chapter = library.downloaded_lines[n];
  items.originals.insert(items.originals.end(), library.titles.begin(), library.titles.end());
  items.shown.insert(items.shown.end(), library.titles.begin(), library.titles.end());
  return items;
}

void open_library(AppState& state, AppContext& context) {
  LocalLibraryState& library = state.local_library;
  library.downloaded.clear();
  library.downloaded_lines.clear();
  if (context.downloads) {
    for (DownloadedTitle& title : context.downloads->titles()) {
      library.downloaded.push_back(std::move(title.record.item));
      library.downloaded_lines.push_back(downloaded_chapters_line(title.chapter_count));
    }
  }
  LibraryItems items = library_items(state);
  show_other_source(state, HomeSource::Library, std::move(items.originals), std::move(items.shown));
  context.jobs.start(job::LocalScan{library.fingerprint});
}

void refresh_library(AppState& state) {
  if (state.home.source != HomeSource::Library) return;
  HomeState& home = state.home;
  LibraryItems items = library_items(state);
  home.all_items = std::move(items.originals);
  show_home_items(home, std::move(items.shown));
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
