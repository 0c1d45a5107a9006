#pragma once

#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/manga.hpp"
#include "nettruyen/fetch.hpp"
#include "nettruyen/fetch_function.hpp"

namespace zentomi {

// The last path segment of a title's URL, trailing slashes ignored, trimmed; possibly empty.
std::string chapter_slug(std::string_view title_url);

// SITE_ORIGIN + "/Comic/Services/ComicService.asmx/ChapterList?slug=" + slug.
std::string chapter_list_service_url(std::string_view slug);

// The older theme's service wants the slug without its trailing "-digits" and the number as
// "&comicId=": nothing when the slug does not end so.
std::optional<std::string> older_chapter_list_service_url(std::string_view slug);

// Reads the service's answer ({"data":[{"chapter_name":..,"chapter_num":..},..]} or the
// positional array forms) into chapters whose pages lie under the slug. Nothing when the answer is
// invalid as a whole; items without a usable number are skipped, so the list may be empty.
std::optional<std::vector<ChapterRef>> parse_chapter_service(std::string_view json,
                                                             std::string_view slug);

// The chapter links printed in a title's page, in page order; possibly empty.
std::vector<ChapterRef> parse_page_chapters(std::string_view html);

// The service's list when it gives at least one chapter (asked in the older form too when the
// slug ends in a number), else the page's own list. Never fails:
// a failed request or an invalid answer falls back to the page silently.
std::vector<ChapterRef> load_chapter_list(std::string_view title_url, std::string_view page,
                                          const FetchText& fetch = fetch_text);

}  // namespace zentomi
