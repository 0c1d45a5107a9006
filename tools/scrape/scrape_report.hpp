#pragma once

#include <expected>
#include <string>
#include <string_view>

namespace zentomi {

// What the program's own scrapers make of a saved page of the site, as one JSON document:
//   listing  {"items": [{"title", "url", "thumb_url", "latest_chapter", "views"}...]}
//   detail   {"title", "cover_url", "genres", "summary", "chapters": [{"name", "url"}...]}
//   pages    {"pages": [url...]}
// `url` is the address the page was saved from. The detail's chapter service is never asked, so
// its chapters are the ones the page lists. The error says why nothing usable was found, or that
// the kind is unknown.
std::expected<std::string, std::string> scrape_report(std::string_view kind, std::string_view page,
                                                      std::string_view url);

}  // namespace zentomi
