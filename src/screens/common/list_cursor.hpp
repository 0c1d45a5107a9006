#pragma once

#include <cstddef>

namespace zentomi {

// A selection S over N entries and the first entry F of the rows in view, as the home screen and
// the detail screen's chapter list move them.
struct ListCursor {
  std::size_t selected = 0;
  std::size_t scroll = 0;
  bool operator==(const ListCursor&) const = default;
};

// One entry up or down a list of `rows` visible rows, scrolling just enough to keep it in view.
ListCursor list_up(ListCursor cursor);
ListCursor list_down(ListCursor cursor, std::size_t count, std::size_t rows);

}  // namespace zentomi
