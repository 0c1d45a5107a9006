#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "model/manga.hpp"

namespace zentomi {

// SITE_ORIGIN + "/tim-truyen?keyword=" + the query percent-encoded as UTF-8: every byte but the
// unreserved letters, digits and "-._~" is escaped, a blank as %20.
std::string search_url(std::string_view query);

// The most titles a search shows: a page of many thousand would cost memory and the time of
// every sort and filter over it, and nobody scrolls that far.
inline constexpr std::size_t SEARCH_RESULT_LIMIT = 500;

// The titles the site's search finds for `query`, in page order, the first SEARCH_RESULT_LIMIT
// of them: none when nothing matched. The results page uses the front page's item blocks. Errors
// are the fetch's message.
std::expected<std::vector<MangaItem>, std::string> load_search_results(std::string_view query);

}  // namespace zentomi
