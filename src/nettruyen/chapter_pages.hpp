#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "nettruyen/fetch.hpp"
#include "nettruyen/fetch_function.hpp"

namespace zentomi {

// The page image URLs of one chapter, in page order: fetches the chapter page and scrapes it.
// Errors are the fetch's message, unchanged, or the "nothing found" text.
std::expected<std::vector<std::string>, std::string> load_chapter_pages(
    std::string_view chapter_url, const FetchText& fetch = fetch_text);

// Scrapes a chapter page: one URL per piece after a class attribute naming page-chapter whose
// deciding image attribute (quoted as that class is) holds an http(s) address that is not the
// site's notice banner; pages quoted with " may give "//" addresses, completed with https:. Never
// empty on success; fails with "Không tìm thấy trang truyện trong chapter này" when nothing is
// usable.
std::expected<std::vector<std::string>, std::string> parse_chapter_pages(std::string_view html);

}  // namespace zentomi
