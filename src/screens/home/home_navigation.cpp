#include "screens/home/home_navigation.hpp"

#include <algorithm>

namespace zentomi {
namespace {

// A selection that moved above the first visible row scrolls back by one row (or to the top).
ListCursor scroll_up_to(ListCursor cursor, std::size_t columns) {
  if (cursor.selected < cursor.scroll) {
    cursor.scroll = cursor.scroll < columns ? 0 : cursor.scroll - columns;
  }
  return cursor;
}

// Moves to `target` when it exists, scrolling one row down when it falls below the visible rows.
ListCursor grid_move_to(ListCursor cursor, std::size_t target, std::size_t count,
                        std::size_t columns, std::size_t rows) {
  if (target >= count) return cursor;
  if (target >= cursor.scroll + columns * rows) cursor.scroll += columns;
  cursor.selected = target;
  return cursor;
}

}  // namespace

ListCursor grid_up(ListCursor cursor, std::size_t columns) {
  if (cursor.selected < columns) return cursor;
  cursor.selected -= columns;
  return scroll_up_to(cursor, columns);
}

ListCursor grid_down(ListCursor cursor, std::size_t count, std::size_t columns, std::size_t rows) {
  return grid_move_to(cursor, cursor.selected + columns, count, columns, rows);
}

ListCursor grid_left(ListCursor cursor, std::size_t columns) {
  if (cursor.selected == 0) return cursor;
  cursor.selected -= 1;
  return scroll_up_to(cursor, columns);
}

ListCursor grid_right(ListCursor cursor, std::size_t count, std::size_t columns, std::size_t rows) {
  return grid_move_to(cursor, cursor.selected + 1, count, columns, rows);
}

ListCursor scrolled_into_view(std::size_t selected, std::size_t columns, std::size_t rows) {
  const std::size_t width = std::max<std::size_t>(columns, 1);
  const std::size_t row = selected / width;
  return {selected, row < rows ? 0 : (row - rows + 1) * width};
}

}  // namespace zentomi
