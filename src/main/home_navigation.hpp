#pragma once

#include <cstddef>

namespace zentomi {

// Rows that fit on a display of height H: grid cards are 311 pixels apart, list rows 68, below a
// 120-pixel allowance for the header and footer.
std::size_t home_grid_rows(int screen_height);
std::size_t home_list_rows(int screen_height);

// Selection S and scroll F of the home screen, moved over N entries.
struct HomeCursor {
  std::size_t selected = 0;
  std::size_t scroll = 0;
  bool operator==(const HomeCursor&) const = default;
};

// Grid moves keep whole rows of `columns` entries in view; Left and Right cross row ends.
HomeCursor grid_up(HomeCursor cursor, std::size_t columns);
HomeCursor grid_down(HomeCursor cursor, std::size_t count, std::size_t columns, std::size_t rows);
HomeCursor grid_left(HomeCursor cursor, std::size_t columns);
HomeCursor grid_right(HomeCursor cursor, std::size_t count, std::size_t columns, std::size_t rows);
HomeCursor list_up(HomeCursor cursor);
HomeCursor list_down(HomeCursor cursor, std::size_t count, std::size_t rows);

}  // namespace zentomi
