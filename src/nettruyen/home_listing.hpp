#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "model/manga.hpp"

namespace zentomi {

// The titles of the site's front page, in page order: fetches SITE_ORIGIN + "/trang-chu" and
// scrapes it. Errors are the fetch's message or the "nothing found" text.
std::expected<std::vector<MangaItem>, std::string> load_home_listing();

// The usable `<div class="item">` blocks of a page of titles (the front page, search results), in
// page order; none when the page has none.
std::vector<MangaItem> scrape_listing_items(std::string_view html);

// Scrapes a front page: one MangaItem per usable `<div class="item">` block; malformed blocks are
// skipped. Fails with "Không tìm thấy danh sách truyện từ NetTruyen" when none is usable.
std::expected<std::vector<MangaItem>, std::string> parse_home_listing(std::string_view html);

}  // namespace zentomi
