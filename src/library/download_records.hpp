#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/manga.hpp"

namespace zentomi {

// The record kept in a whole chapter's folder: what it is and its page files in reading order.
struct ChapterRecord {
  std::string name;
  std::string url;
  std::vector<std::string> pages;  // file names in the folder: "001.jpg", "002.webp", ...
  bool operator==(const ChapterRecord&) const = default;
};

// The record kept in a title's folder, rewritten when one of its chapters is queued: enough to
// show the title and its detail screen with no network.
struct TitleRecord {
  MangaItem item;
  MangaDetail detail;
  std::uint64_t downloaded_at = 0;  // whole seconds since the Unix epoch, of the newest chapter
  bool operator==(const TitleRecord&) const = default;
};

// One chapter waiting in the download queue, in the order it was asked for.
struct QueueEntry {
  std::string title_url;
  std::string title;
  ChapterRef chapter;
  bool failed = false;  // kept in the list (and its marker shown) until queued again or cancelled
  bool operator==(const QueueEntry&) const = default;
};

// The files' written forms. Parsing takes any bytes and gives nothing unless the whole document
// has the record's shape; unknown members are skipped, a known one given twice is refused.
std::string render_chapter_record(const ChapterRecord& record);
std::optional<ChapterRecord> parse_chapter_record(std::string_view bytes);
std::string render_title_record(const TitleRecord& record);
std::optional<TitleRecord> parse_title_record(std::string_view bytes);
std::string render_queue(const std::vector<QueueEntry>& queue);
std::optional<std::vector<QueueEntry>> parse_queue(std::string_view bytes);

}  // namespace zentomi
