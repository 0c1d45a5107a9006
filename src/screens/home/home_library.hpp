#pragma once

#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"
#include "model/worker_result.hpp"
#include "screens/common/jobs.hpp"

namespace zentomi {

// The library (L1) shows the titles kept on the card in the home screen's grid and list: the
// titles of the card's Manga folder, each marked by its chapter line.

// What the library lists, in its order.
std::vector<MangaItem> library_items(const AppState& state);

// Shows the library from its top, and has the Manga folder scanned again if it changed since.
void open_library(AppState& state, Jobs& jobs);

// After a scan: the library on screen shows the titles found, its selection kept where it can be.
void refresh_library(AppState& state);

// The library on screen follows the scan; an unchanged folder changes nothing.
void apply_local_scanned(AppState& state, LocalScanned& scanned);

}  // namespace zentomi
