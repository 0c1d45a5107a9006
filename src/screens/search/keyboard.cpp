#include "screens/search/keyboard.hpp"

#include <algorithm>

namespace zentomi::keyboard {
namespace {

std::size_t last_column(std::size_t row) {
  return ROWS[row].size() - 1;
}

}  // namespace

void move_key(SearchState& search, Button button) {
  std::size_t row = std::min(search.key_row, ROWS.size() - 1);
  std::size_t column = std::min(search.key_column, last_column(row));
  if (button == Button::Up && row > 0) --row;
  if (button == Button::Down && row + 1 < ROWS.size()) ++row;
  if (button == Button::Left && column > 0) --column;
  if (button == Button::Right && column < last_column(row)) ++column;
  search.key_row = row;
  search.key_column = std::min(column, last_column(row));
}

char selected_key(const SearchState& search) {
  const std::size_t row = std::min(search.key_row, ROWS.size() - 1);
  return ROWS[row][std::min(search.key_column, last_column(row))];
}

}  // namespace zentomi::keyboard
