#include "screens/search/keyboard.hpp"

#include <algorithm>
#include <vector>

namespace zentomi::keyboard {
namespace {

std::size_t last_column(std::size_t row) {
  return ROWS[row].size() - 1;
}

}  // namespace

void move_key(SearchState& search, Button button) {
  std::size_t row = std::min(search.key_row, ROWS.size() - 1);
  std::size_t column = std::min(search.key_column, last_column(row));
  // Wrapping saves the long way across: from "p" to "q" is one press, not nine.
  if (button == Button::Up) row = row > 0 ? row - 1 : ROWS.size() - 1;
  if (button == Button::Down) row = row + 1 < ROWS.size() ? row + 1 : 0;
  if (button == Button::Left) column = column > 0 ? column - 1 : last_column(row);
  if (button == Button::Right) column = column < last_column(row) ? column + 1 : 0;
  search.key_row = row;
  search.key_column = std::min(column, last_column(row));
}

void remember_query(SearchState& search, const std::string& query) {
  std::erase(search.recent_queries, query);
  search.recent_queries.insert(search.recent_queries.begin(), query);
  if (search.recent_queries.size() > RECENT_QUERIES) search.recent_queries.resize(RECENT_QUERIES);
  search.next_recalled = 0;
}

void recall_query(SearchState& search) {
  if (search.recent_queries.empty()) return;
  if (search.next_recalled >= search.recent_queries.size()) search.next_recalled = 0;
  search.query = search.recent_queries[search.next_recalled++];
}

char selected_key(const SearchState& search) {
  const std::size_t row = std::min(search.key_row, ROWS.size() - 1);
  return ROWS[row][std::min(search.key_column, last_column(row))];
}

}  // namespace zentomi::keyboard
