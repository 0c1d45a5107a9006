#pragma once

#include <algorithm>
#include <cstddef>

namespace zentomi::detail_geometry {

// The chapter list of the detail screen: rows 42 pixels apart from y = 157, as many as fit above
// the footer. The controller scrolls by the same count, so the selection is always on a drawn row.
inline constexpr int CHAPTER_ROW_TOP = 157;
inline constexpr int CHAPTER_ROW_PITCH = 42;
inline constexpr int CHAPTER_ROW_HEIGHT = 38;

constexpr std::size_t chapter_rows(int screen_height) {
  return static_cast<std::size_t>(std::max(1, (screen_height - 207) / CHAPTER_ROW_PITCH));
}

constexpr int chapter_row_top(std::size_t row) {
  return CHAPTER_ROW_TOP + CHAPTER_ROW_PITCH * static_cast<int>(row);
}

}  // namespace zentomi::detail_geometry
