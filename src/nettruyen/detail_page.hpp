#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "model/manga.hpp"
#include "nettruyen/chapter_list.hpp"
#include "nettruyen/fetch.hpp"

namespace zentomi {

// Scrapes a title's page into every field but the chapters (left empty). Never fails: each field
// has its default when its markup is missing.
MangaDetail parse_manga_detail(std::string_view html);

// Fetches the title's page, scrapes it and adds its chapters (the chapter-list service first, the
// page's own list otherwise). The only error is the page fetch's message, unchanged.
std::expected<MangaDetail, std::string> load_manga_detail(std::string_view title_url,
                                                          const FetchText& fetch = fetch_text);

}  // namespace zentomi
