#pragma once

#include <ostream>

#include "model/manga.hpp"
#include "model/worker_result.hpp"

namespace zentomi {

// Readable failure messages for the shared records (found by GoogleTest through their namespace).
inline void PrintTo(const MangaItem& item, std::ostream* out) {
  *out << "MangaItem{title \"" << item.title << "\", url \"" << item.url << "\", thumb_url \""
       << item.thumb_url << "\", latest_chapter \"" << item.latest_chapter << "\", views \""
       << item.views << "\"}";
}

inline void PrintTo(const ChapterRef& chapter, std::ostream* out) {
  *out << "ChapterRef{name \"" << chapter.name << "\", url \"" << chapter.url << "\"}";
}

inline void PrintTo(const MangaDetail& detail, std::ostream* out) {
  *out << "MangaDetail{title \"" << detail.title << "\", cover_url \"" << detail.cover_url
       << "\", source \"" << detail.source << "\", status \"" << detail.status << "\", genres \""
       << detail.genres << "\", summary \"" << detail.summary << "\", " << detail.chapters.size()
       << " chapters}";
}

inline void PrintTo(const DownloadProgress& progress, std::ostream* out) {
  *out << "DownloadProgress{\"" << progress.chapter_url << "\", " << progress.pages_done << "/"
       << progress.pages_total << "}";
}

}  // namespace zentomi
