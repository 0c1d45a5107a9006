#pragma once

#include <cstddef>

#include "screens/common/list_cursor.hpp"

namespace zentomi {

// Grid moves keep whole rows of `columns` entries in view; Left and Right cross row ends.
ListCursor grid_up(ListCursor cursor, std::size_t columns);
ListCursor grid_down(ListCursor cursor, std::size_t count, std::size_t columns, std::size_t rows);
ListCursor grid_left(ListCursor cursor, std::size_t columns);
ListCursor grid_right(ListCursor cursor, std::size_t count, std::size_t columns, std::size_t rows);
// After switching between grid and list: the scroll is 0, or, when the selection lies past the
// first `rows` rows of `columns` entries (1 for the list), the row that shows it at the bottom.
ListCursor scrolled_into_view(std::size_t selected, std::size_t columns, std::size_t rows);

}  // namespace zentomi
