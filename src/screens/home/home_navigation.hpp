#pragma once

#include <cstddef>

namespace zentomi {

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
// After switching between grid and list: the scroll is 0, or, when the selection lies past the
// first `rows` rows of `columns` entries (1 for the list), the row that shows it at the bottom.
HomeCursor scrolled_into_view(std::size_t selected, std::size_t columns, std::size_t rows);
HomeCursor list_down(HomeCursor cursor, std::size_t count, std::size_t rows);

}  // namespace zentomi
