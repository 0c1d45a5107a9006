#pragma once

#include <ostream>

#include "model/manga.hpp"

namespace zentomi {

// Readable failure messages for the shared records (found by GoogleTest through their namespace).
inline void PrintTo(const MangaItem& item, std::ostream* out) {
  *out << "MangaItem{title \"" << item.title << "\", url \"" << item.url << "\", thumb_url \""
       << item.thumb_url << "\", latest_chapter \"" << item.latest_chapter << "\", views \""
       << item.views << "\"}";
}

}  // namespace zentomi
