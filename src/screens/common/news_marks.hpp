#pragma once

#include <cstddef>
#include <string>

#include "draw/text.hpp"
#include "model/favourites_news.hpp"

namespace zentomi {

// The marks of the favourites' news: "+N" beside a favourite with N chapters after the one last
// read, and the header chip of a running check.

// Draws "+count" on an accent badge 22 pixels high from (left, top); returns its right edge.
int draw_news_badge(Renderer& renderer, std::size_t count, int left, int top);

// "Kiểm tra 3/12": the favourite being refreshed (the last one once all are) of all the check
// refreshes.
std::string check_chip_label(const CheckProgress& check);

// The chip of check_chip_label from `left` while a check runs (the favourite being refreshed of all
// it refreshes); nothing otherwise. It ends before column `right`: short of room, it shows the
// count alone, and nothing when even that does not fit.
void draw_check_chip(Renderer& renderer, const CheckProgress& check, int left, int right);

}  // namespace zentomi
