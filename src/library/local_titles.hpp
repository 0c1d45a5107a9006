#pragma once

#include <expected>
#include <string>

#include "library/local_scan.hpp"
#include "model/manga.hpp"

namespace zentomi {

// The line under a local title in the library: where it is and how many chapters it has.
std::string local_chapter_line(std::size_t chapters);

// A local title as the listings show it; its cover is the first page of its first chapter.
MangaItem local_title_item(const LocalTitle& title);

// A local title as the detail screen shows it, built from the files alone. Its chapters come
// newest first, as the site lists them, so every key of the detail screen and the reader treats
// both alike.
MangaDetail local_title_detail(const LocalTitle& title);

// The detail job's work for a local address: the title's folder scanned afresh.
std::expected<MangaDetail, std::string> load_local_detail(const std::string& manga_root,
                                                          const std::string& address);

}  // namespace zentomi
