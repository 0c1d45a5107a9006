#include "screens/reader/reader_layout.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "draw/image_drawing.hpp"
#include "draw/palette.hpp"
#include "screens/common/chapter_opening.hpp"
#include "screens/reader/page_panels.hpp"
#include "screens/reader/scroll_geometry.hpp"
#include "screens/reader/strip.hpp"

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
constexpr const char* CHAPTER_END_HINT = "Hết chương · [A] Chương sau · [B] Danh sách chương";
constexpr const char* NEWEST_CHAPTER_HINT =
    "Hết chương · Đây là chương mới nhất · [B] Danh sách chương";
constexpr int HUD_GAP = 12;
// The position bar along the right edge in scroll reading.
constexpr int POSITION_BAR_WIDTH = 4;
// The loading panel under a page is drawn where the empty part can hold it.
constexpr int PANEL_ROOM = 100;

std::size_t zoom_level(const AppState& state) {
  return state.reader.zoom >= 0 && static_cast<std::size_t>(state.reader.zoom) < ZOOM_LABELS.size()
             ? static_cast<std::size_t>(state.reader.zoom)
             : 0;
}

std::string key_hint(const Renderer& r, const AppState& state) {
  if (state.reader.chapter_end) {
    const bool newest = next_chapter(state.details, state.reader.chapter_url) == nullptr;
    return newest ? NEWEST_CHAPTER_HINT : CHAPTER_END_HINT;
  }
  if (state.reader.scroll_reading) return SCROLL_HINT;
  if (state.reader.zoom != 0) return ZOOMED_HINT;
  const bool tall_strip =
      state.reader.page_image &&
      scroll_geometry::is_tall_strip(r.canvas.width(), r.canvas.height(), *state.reader.page_image);
  return tall_strip ? std::string(FIT_HINT) + TALL_STRIP_HINT : FIT_HINT;
}

// The mode, and once widened the strip's width against its own.
std::string scroll_label(const AppState& state) {
  const ReaderState& reader = state.reader;
  if (reader.strip_width == 0 || !reader.page_image) return SCROLL_LABEL;
  return std::string(SCROLL_LABEL) + " · " +
         std::to_string(scroll_geometry::width_percent(state.screen_width, *reader.page_image,
                                                       reader.strip_width)) +
         "%";
}

// Where the page shown lies in scroll reading: its top `scroll` rows above the screen, or, shorter
// than the screen and alone, in the middle.
PagePlacement strip_placement(int w, int h, const ReaderState& reader) {
  PagePlacement shown = scroll_geometry::size(w, *reader.page_image, reader.strip_width);
  if (shown.height <= h && !reader.next_image) {
    return scroll_geometry::place(w, h, *reader.page_image, 0, reader.strip_width);
  }
  shown.top = -reader.scroll;
  return shown;
}

// While the next page is on its way its loading panel fills the empty part under the page shown,
// where that part can hold it.
bool panel_under(int h, const ReaderState& reader, const PagePlacement& shown) {
  return !reader.next_image && reader.next_loading && h - (shown.top + shown.height) >= PANEL_ROOM;
}

// The page shown and, joined under it, the next one, or the loading panel in its place.
void draw_strip(Renderer& r, const AppState& state, DrawnPages& pages) {
  const ReaderState& reader = state.reader;
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  const PagePlacement shown = strip_placement(w, h, reader);
  const long long below = shown.top + shown.height;
  std::vector<Area> covered{covered_area(*reader.page_image, shown.scale, shown.left, shown.top)};
  PagePlacement next;
  if (reader.next_image) {
    next = scroll_geometry::size(w, *reader.next_image, reader.strip_width);
    covered.push_back(covered_area(*reader.next_image, next.scale, next.left, below));
  }
  clear_outside(r.canvas, palette::FRAME_BACKGROUND, covered);
  draw_scaled_page(r.canvas, reader.page_image, shown.scale, shown.left, shown.top, pages);
  if (reader.next_image) {
    draw_scaled_page(r.canvas, reader.next_image, next.scale, next.left, below, pages);
  } else if (panel_under(h, reader, shown)) {
    draw_page_loading_panel(r, reader.page_index + 2, reader.pages.size(),
                            static_cast<int>((below + h) / 2));
  }
}

// A page so thin that it would be drawn less than one pixel high or wide would leave the screen
// blank; it says that it cannot be shown instead.
bool page_drawable(const AppState& state, int w, int h) {
  if (!state.reader.page_image) return false;
  const PagePlacement placement =
      state.reader.scroll_reading
          ? scroll_geometry::size(w, *state.reader.page_image, state.reader.strip_width)
          : place_page(w, h, *state.reader.page_image, zoom_level(state));
  return placement.width > 0 && placement.height > 0;
}

// Where the screen's middle is in the chapter, as a bar filled from the top of the right edge.
void draw_position_bar(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  const int filled = static_cast<int>(strip::position(state) * static_cast<float>(h));
  fill_rect(r.canvas, w - POSITION_BAR_WIDTH, 0, POSITION_BAR_WIDTH, h, palette::PANEL);
  fill_rect(r.canvas, w - POSITION_BAR_WIDTH, 0, POSITION_BAR_WIDTH, filled,
            palette::HIGHLIGHT_TEXT);
}

void draw_head_up_display(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  darken_band(r.canvas, 0, 38);
  // The zoom label ends a gap before the page count, moving left when it is long; a long chapter
  // title ends a gap before the zoom label.
  const std::string zoom = state.reader.scroll_reading
                               ? scroll_label(state)
                               : "Zoom: " + std::string(ZOOM_LABELS[zoom_level(state)]);
  const int zoom_width = static_cast<int>(text_width(r.font, zoom, 15.0f));
  const int zoom_left = std::min(w - 280, w - 140 - HUD_GAP - zoom_width);
  draw_text_fitted(r, state.reader.chapter_title, 20, 10, palette::PRIMARY_TEXT, 16.0f,
                   zoom_left - HUD_GAP);
  draw_text(r, zoom, zoom_left, 10, palette::INFORMATION_TEXT, 15.0f);
  // Until a chapter has pages there is no page to count.
  if (!state.reader.pages.empty()) {
    draw_text(r,
              "Trang " + std::to_string(strip::page_in_view(state) + 1) + " / " +
                  std::to_string(state.reader.pages.size()),
              w - 140, 10, palette::HIGHLIGHT_TEXT, 15.0f);
  }
  darken_band(r.canvas, h - 36, h);
  draw_text(r, key_hint(r, state), 20, h - 24, palette::PRIMARY_TEXT, 13.0f);
}

}  // namespace

LoadingPanel reader_loading_panel(const AppState& state, int width, int height) {
  const ReaderState& reader = state.reader;
  if (page_drawable(state, width, height)) {
    const bool under = reader.scroll_reading &&
                       panel_under(height, reader, strip_placement(width, height, reader));
    return under ? LoadingPanel::UnderPage : LoadingPanel::None;
  }
  return !reader.page_image && reader.reader_loading ? LoadingPanel::Page : LoadingPanel::None;
}

void draw_reader_screen(Renderer& r, const AppState& state, DrawnPages& pages) {
  const bool drawable = page_drawable(state, r.canvas.width(), r.canvas.height());
  if (drawable && state.reader.scroll_reading) {
    draw_strip(r, state, pages);
    draw_position_bar(r, state);
  } else if (drawable) {
    clear_outside(r.canvas, palette::FRAME_BACKGROUND,
                  {covered_area(r.canvas, *state.reader.page_image, zoom_level(state),
                                state.reader.pan_x, state.reader.pan_y)});
    draw_page(r.canvas, state.reader.page_image, zoom_level(state), state.reader.pan_x,
              state.reader.pan_y, pages);
  } else {
    clear(r.canvas, palette::FRAME_BACKGROUND);
    if (!state.reader.page_image && state.reader.reader_loading) {
      draw_page_loading_panel(r, state.reader.page_index + 1, state.reader.pages.size());
    } else if (!state.reader.page_image && state.reader.pages.empty()) {
      draw_empty_chapter_text(r);
    } else {
      draw_page_failure_text(r);
    }
  }
  if (state.reader.hud_visible || state.reader.zoom != 0 || state.reader.reader_loading ||
      state.reader.chapter_end)
    draw_head_up_display(r, state);
}

}  // namespace zentomi
