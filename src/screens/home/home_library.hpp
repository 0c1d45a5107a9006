#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "model/worker_result.hpp"
#include "screens/common/app_context.hpp"

namespace zentomi {

// The library (L1) shows the titles kept on the card in the home screen's grid and list: first
// the titles with downloaded chapters, newest download first, then the titles of the card's Manga
// folder, each marked by its chapter line.

struct LibraryItems {
  std::vector<MangaItem> originals;  // as their records and the scan know them (A opens these)
  std::vector<MangaItem> shown;      // with the library's chapter lines
};

// "N chương đã tải".
std::string downloaded_chapters_line(std::size_t count);

// What the library lists, in its order.
LibraryItems library_items(const AppState& state);

// Shows the library from its top with the downloads as they are now, and has the Manga folder
// scanned again if it changed since.
void open_library(AppState& state, AppContext& context);

// After a scan: the library on screen shows the titles found, its selection kept where it can be.
void refresh_library(AppState& state);

// The library on screen follows the scan; an unchanged folder changes nothing.
void apply_local_scanned(AppState& state, LocalScanned& scanned);

}  // namespace zentomi
