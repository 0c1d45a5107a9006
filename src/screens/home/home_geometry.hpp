#pragma once

#include <algorithm>
#include <cstddef>

// The home screen's numbers, shared by its controller (how far a move scrolls) and its layout
// (what is drawn where), so that every selection the controller can reach is one the layout draws.
namespace zentomi::home_geometry {

// What the visible rows leave above and below them for the header and the footer.
inline constexpr int BARS_ALLOWANCE = 120;

inline constexpr int GRID_TOP = 66;
inline constexpr int GRID_LEFT = 24;
inline constexpr int GRID_ROW_PITCH = 311;
inline constexpr int GRID_COLUMN_GAP = 18;
inline constexpr int GRID_CARD_HEIGHT = 295;

inline constexpr int LIST_TOP = 65;
inline constexpr int LIST_ROW_PITCH = 68;
inline constexpr int LIST_ROW_HEIGHT = 62;

constexpr std::size_t visible_rows(int screen_height, int pitch) {
  return static_cast<std::size_t>(std::max(1, (screen_height - BARS_ALLOWANCE) / pitch));
}
// Card rows of the grid and rows of the list on a display `screen_height` pixels high.
constexpr std::size_t grid_rows(int screen_height) {
  return visible_rows(screen_height, GRID_ROW_PITCH);
}
constexpr std::size_t list_rows(int screen_height) {
  return visible_rows(screen_height, LIST_ROW_PITCH);
}
// The width of a grid card, `columns` of them side by side.
constexpr int grid_card_width(int screen_width, int columns) {
  return (screen_width - GRID_COLUMN_GAP * columns - 30) / columns;
}

}  // namespace zentomi::home_geometry
