#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/app_state.hpp"
#include "model/manga.hpp"

namespace zentomi {

// Puts the displayed list into the order of the mode: Latest copies the source list; Views sorts
// by parse_views of `views`, largest first; NameAZ sorts by the full lower-case mapping of `title`
// compared byte by byte. Both sorts are stable against the displayed list's present order.
void apply_sort(std::vector<MangaItem>& displayed, const std::vector<MangaItem>& source,
                SortMode mode);

// Latest -> Views -> NameAZ -> Latest.
SortMode next_sort_mode(SortMode mode);

// A view count as the site writes it: "12,345", "1.234.567", "+42", "1.2K", "3m" (any case, white
// space around). Anything else counts 0; counts past 2^64 - 1 saturate in the K and M forms.
std::uint64_t parse_views(std::string_view text);

}  // namespace zentomi
