#pragma once

#include <string>
#include <vector>

#include "model/manga.hpp"
#include "storage/store_paths.hpp"

namespace zentomi {

// The titles of the reading history, newest read first (equal times by URL, so the order never
// depends on the file's).
struct HistoryTitles {
  // As the history cards show them: the stored title, the cover known for it, and as chapter
  // line the chapter last read and its page.
  std::vector<MangaItem> shown;
  // As A opens them: the listing's or the favourites' record where one is known, so nothing of
  // the chapter line reaches the detail screen or the favourites.
  std::vector<MangaItem> originals;
};

// `known` are the titles whose covers are known (the listing, then the favourites); the first
// with the same URL wins.
HistoryTitles history_titles(const HistoryMap& history, const std::vector<MangaItem>& known);

// "Chapter 12 · Trang 5": the chapter last read and its page, counted from 1.
std::string reading_position(const MangaHistory& entry);

}  // namespace zentomi
