#include "screens/search/search_layout.hpp"

#include <string>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "screens/search/keyboard.hpp"

namespace zentomi {
namespace {

constexpr int KEY_WIDTH = 64;
constexpr int KEY_HEIGHT = 52;
constexpr int KEY_GAP = 8;
constexpr int KEY_PITCH = KEY_WIDTH + KEY_GAP;
constexpr int COLUMNS = 10;
constexpr int MARGIN = 24;
constexpr int PANEL_WIDTH = COLUMNS * KEY_PITCH - KEY_GAP + 2 * MARGIN;
constexpr int KEYS_TOP = 118;  // below the heading and the query box
constexpr int PANEL_HEIGHT = KEYS_TOP + 4 * (KEY_HEIGHT + KEY_GAP) + 46;
constexpr int QUERY_BOX_HEIGHT = 44;

// The row of nine keys sits half a key in, as on a keyboard.
int row_indent(std::size_t row) {
  return keyboard::ROWS[row].size() == COLUMNS - 1 ? KEY_PITCH / 2 : 0;
}

void draw_key(Renderer& r, char key, bool selected, int x, int y, int width) {
  fill_rounded_rect(r.canvas, x, y, width, KEY_HEIGHT, 8,
                    selected ? palette::ACCENT : palette::SEPARATOR);
  const std::string label = key == ' ' ? "cách" : std::string(1, key);
  const float size = key == ' ' ? 16.0f : 20.0f;
  const int label_width = static_cast<int>(text_width(r.font, label, size));
  draw_text(r, label, x + (width - label_width) / 2, y + (KEY_HEIGHT - static_cast<int>(size)) / 2,
            palette::PRIMARY_TEXT, size);
}

void draw_keys(Renderer& r, const SearchState& search, int left, int top) {
  const int keys_right = left + COLUMNS * KEY_PITCH - KEY_GAP;
  for (std::size_t row = 0; row < keyboard::ROWS.size(); ++row) {
    const std::string_view keys = keyboard::ROWS[row];
    const int y = top + static_cast<int>(row) * (KEY_HEIGHT + KEY_GAP);
    for (std::size_t column = 0; column < keys.size(); ++column) {
      const int x = left + row_indent(row) + static_cast<int>(column) * KEY_PITCH;
      // The space bar runs to the end of the row.
      const int width = keys[column] == ' ' ? keys_right - x : KEY_WIDTH;
      draw_key(r, keys[column], row == search.key_row && column == search.key_column, x, y, width);
    }
  }
}

}  // namespace

ScreenRect search_keyboard_cover(int width, int height) {
  // The panel covers all of its rows but those of its rounded corners.
  return {(width - PANEL_WIDTH) / 2, (height - PANEL_HEIGHT) / 2 + 12, PANEL_WIDTH,
          PANEL_HEIGHT - 24};
}

void draw_search_keyboard(Renderer& r, const AppState& state) {
  const int x0 = (r.canvas.width() - PANEL_WIDTH) / 2;
  const int y0 = (r.canvas.height() - PANEL_HEIGHT) / 2;
  fill_rounded_rect(r.canvas, x0, y0, PANEL_WIDTH, PANEL_HEIGHT, 12, palette::PANEL);
  draw_text(r, "TÌM TRUYỆN", x0 + MARGIN, y0 + 18, palette::ACCENT, 18.0f);

  const int box_left = x0 + MARGIN;
  const int box_right = x0 + PANEL_WIDTH - MARGIN;
  fill_rounded_rect(r.canvas, box_left, y0 + 52, box_right - box_left, QUERY_BOX_HEIGHT, 8,
                    palette::RECESSED_SURFACE);
  if (state.search.query.empty()) {
    draw_text(r, "Nhập tên truyện...", box_left + 14, y0 + 63, palette::SECONDARY_TEXT, 18.0f);
  } else {
    draw_text_fitted(r, state.search.query + "_", box_left + 14, y0 + 63, palette::PRIMARY_TEXT,
                     20.0f, box_right - 14);
  }

  draw_keys(r, state.search, x0 + MARGIN, y0 + KEYS_TOP);
  draw_text(r, "[D-Pad] Chọn phím   [A] Gõ   [X] Xoá   [R2] Gần đây   [START] Tìm   [B] Quay lại",
            x0 + MARGIN, y0 + PANEL_HEIGHT - 32, palette::SECONDARY_TEXT, 14.0f);
}

}  // namespace zentomi
