#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "model/manga.hpp"

namespace zentomi {

// SITE_ORIGIN + "/tim-truyen?keyword=" + the query percent-encoded as UTF-8: every byte but the
// unreserved letters, digits and "-._~" is escaped, a blank as %20.
std::string search_url(std::string_view query);

// The titles the site's search finds for `query`, in page order: none when nothing matched. The
// results page uses the front page's item blocks. Errors are the fetch's message.
std::expected<std::vector<MangaItem>, std::string> load_search_results(std::string_view query);

}  // namespace zentomi
