#include "screens/reader/reader_layout.hpp"

#include <algorithm>
#include <string>

#include "draw/image_drawing.hpp"
#include "screens/reader/page_panels.hpp"
#include "screens/reader/scroll_geometry.hpp"

namespace zentomi {
namespace {

// clang-format off
constexpr const char* FIT_HINT = "[◀ ▶ / L1 R1] Đổi trang   [R2 / X] Phóng to   [SELECT] Ẩn HUD   [B] Trở về";
constexpr const char* ZOOMED_HINT = "[D-Pad] Di chuyển hình ảnh   [R2/X] Phóng to   [L2/Y] Thu nhỏ   [L1/R1] Đổi trang   [B] Trở về";
constexpr const char* SCROLL_HINT = "[▲▼] Cuộn   [◀ ▶ / L1 R1] Đổi trang   [START] Tắt cuộn dọc   [B] Trở về";
// clang-format on
// Ends the fitted hint on a tall strip, so that a user finds the mode where it helps.
constexpr const char* TALL_STRIP_HINT = "   [START] Cuộn dọc";
constexpr const char* SCROLL_LABEL = "Cuộn dọc";
constexpr int HUD_GAP = 12;

std::size_t zoom_level(const AppState& state) {
  return state.reader.zoom >= 0 && static_cast<std::size_t>(state.reader.zoom) < ZOOM_LABELS.size()
             ? static_cast<std::size_t>(state.reader.zoom)
             : 0;
}

std::string key_hint(const Renderer& r, const AppState& state) {
  if (state.reader.scroll_reading) return SCROLL_HINT;
  if (state.reader.zoom != 0) return ZOOMED_HINT;
  const bool tall_strip =
      state.reader.page_image &&
      scroll_geometry::is_tall_strip(r.canvas.width(), r.canvas.height(), *state.reader.page_image);
  return tall_strip ? std::string(FIT_HINT) + TALL_STRIP_HINT : FIT_HINT;
}

void draw_head_up_display(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  darken_band(r.canvas, 0, 38);
  // The zoom label ends a gap before the page count, moving left when it is long; a long chapter
  // title ends a gap before the zoom label.
  const std::string zoom = state.reader.scroll_reading
                               ? SCROLL_LABEL
                               : "Zoom: " + std::string(ZOOM_LABELS[zoom_level(state)]);
  const int zoom_width = static_cast<int>(text_width(r.font, zoom, 15.0f));
  const int zoom_left = std::min(w - 280, w - 140 - HUD_GAP - zoom_width);
  draw_text_fitted(r, state.reader.chapter_title, 20, 10, palette::PRIMARY_TEXT, 16.0f,
                   zoom_left - HUD_GAP);
  draw_text(r, zoom, zoom_left, 10, palette::INFORMATION_TEXT, 15.0f);
  // Until a chapter has pages there is no page to count.
  if (!state.reader.pages.empty()) {
    draw_text(r,
              "Trang " + std::to_string(state.reader.page_index + 1) + " / " +
                  std::to_string(state.reader.pages.size()),
              w - 140, 10, palette::HIGHLIGHT_TEXT, 15.0f);
  }
  darken_band(r.canvas, h - 36, h);
  draw_text(r, key_hint(r, state), 20, h - 24, palette::PRIMARY_TEXT, 13.0f);
}

// Where the page on screen is drawn before any pan: by scrolling or fitted and zoomed.
PagePlacement page_placement(const Renderer& r, const AppState& state) {
  if (state.reader.scroll_reading) {
    return scroll_geometry::place(r.canvas.width(), r.canvas.height(), *state.reader.page_image,
                                  state.reader.scroll);
  }
  return place_page(r.canvas.width(), r.canvas.height(), *state.reader.page_image,
                    zoom_level(state));
}

}  // namespace

void draw_reader_screen(Renderer& r, const AppState& state) {
  // A page so thin that it would be drawn less than one pixel high or wide leaves the screen
  // blank; it says that it cannot be shown instead.
  const PagePlacement placement =
      state.reader.page_image ? page_placement(r, state) : PagePlacement{};
  const bool drawable = placement.width > 0 && placement.height > 0;
  if (state.reader.page_image && drawable && state.reader.scroll_reading) {
    draw_scaled_page(r.canvas, *state.reader.page_image, placement.scale, placement.left,
                     placement.top);
  } else if (state.reader.page_image && drawable) {
    draw_page(r.canvas, *state.reader.page_image, zoom_level(state), state.reader.pan_x,
              state.reader.pan_y);
  } else if (state.reader.page_image) {
    draw_page_failure_text(r);
  } else if (state.reader.reader_loading) {
    draw_page_loading_panel(r, state.reader.page_index + 1, state.reader.pages.size());
  } else if (state.reader.pages.empty()) {
    draw_empty_chapter_text(r);
  } else {
    draw_page_failure_text(r);
  }
  if (state.reader.hud_visible || state.reader.zoom != 0 || state.reader.reader_loading)
    draw_head_up_display(r, state);
}

}  // namespace zentomi
