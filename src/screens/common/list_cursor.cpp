#include "screens/common/list_cursor.hpp"

#include <algorithm>

namespace zentomi {

ListCursor list_up(ListCursor cursor) {
  if (cursor.selected == 0) return cursor;
  cursor.selected -= 1;
  cursor.scroll = std::min(cursor.selected, cursor.scroll);
  return cursor;
}

ListCursor list_down(ListCursor cursor, std::size_t count, std::size_t rows) {
  if (cursor.selected + 1 >= count) return cursor;
  cursor.selected += 1;
  if (cursor.selected >= cursor.scroll + rows) cursor.scroll = cursor.selected - rows + 1;
  return cursor;
}

}  // namespace zentomi
