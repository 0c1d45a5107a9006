#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentomi {

// One title of a listing. `url` is its identity everywhere (exact byte comparison).
struct MangaItem {
  std::string title;
  std::string url;
  std::string thumb_url;
  std::string latest_chapter;
  std::string views;
  bool operator==(const MangaItem&) const = default;
};

// The stored reading position in one title.
struct MangaHistory {
  std::string manga_url;
  std::string manga_title;
  std::string last_chapter_title;
  std::string last_chapter_url;
  std::uint64_t last_page_idx = 0;
  std::uint64_t total_pages = 0;
  std::uint64_t timestamp = 0;  // whole seconds since the Unix epoch
  bool operator==(const MangaHistory&) const = default;
};

struct ChapterRef {
  std::string name;  // display name, never empty
  std::string url;   // chapter page URL
  bool operator==(const ChapterRef&) const = default;
};

struct MangaDetail {
  std::string title;
  std::string cover_url;
  std::string source;
  std::string status;
  std::string genres;
  std::string summary;
  std::vector<ChapterRef> chapters;
  bool operator==(const MangaDetail&) const = default;
};

}  // namespace zentomi
