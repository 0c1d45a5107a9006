#include "screens/reader/reader_layout.hpp"

#include <string>

#include "draw/image_drawing.hpp"
#include "screens/reader/page_panels.hpp"

namespace zentomi {
namespace {

// clang-format off
constexpr const char* FIT_HINT = "[◀ ▶ / L1 R1] Đổi trang   [R2 / X] Phóng to   [SELECT] Ẩn HUD   [B] Trở về";
constexpr const char* ZOOMED_HINT = "[D-Pad] Di chuyển hình ảnh   [R2/X] Phóng to   [L2/Y] Thu nhỏ   [L1/R1] Đổi trang   [B] Trở về";
// clang-format on

std::size_t zoom_level(const AppState& state) {
  return state.zoom >= 0 && static_cast<std::size_t>(state.zoom) < ZOOM_LABELS.size()
             ? static_cast<std::size_t>(state.zoom)
             : 0;
}

void draw_head_up_display(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  darken_band(r.canvas, 0, 38);
  draw_text(r, state.chapter_title, 20, 10, palette::PRIMARY_TEXT, 16.0f);
  draw_text(r, "Zoom: " + std::string(ZOOM_LABELS[zoom_level(state)]), w - 280, 10,
            palette::INFORMATION_TEXT, 15.0f);
  draw_text(
      r,
      "Trang " + std::to_string(state.page_index + 1) + " / " + std::to_string(state.pages.size()),
      w - 140, 10, palette::HIGHLIGHT_TEXT, 15.0f);
  darken_band(r.canvas, h - 36, h);
  draw_text(r, state.zoom == 0 ? FIT_HINT : ZOOMED_HINT, 20, h - 24, palette::PRIMARY_TEXT, 13.0f);
}

}  // namespace

void draw_reader_screen(Renderer& r, const AppState& state) {
  if (state.page_image) {
    draw_page(r.canvas, *state.page_image, zoom_level(state), state.pan_x, state.pan_y);
  } else if (state.reader_loading) {
    draw_page_loading_panel(r, state.page_index + 1, state.pages.size());
  } else {
    draw_page_failure_text(r);
  }
  if (state.hud_visible || state.zoom != 0 || state.reader_loading) draw_head_up_display(r, state);
}

}  // namespace zentomi
