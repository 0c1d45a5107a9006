#include "screens/home/home_layout.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "draw/image_drawing.hpp"
#include "screens/common/bars.hpp"
#include "screens/common/news_marks.hpp"
#include "screens/home/favourites_news.hpp"
#include "screens/home/home_geometry.hpp"

namespace zentomi {
namespace {

// clang-format off
constexpr const char* GRID_HINT = "[D-Pad] Chọn   [A] Đọc   [X] Lưới/DS   [Y] Sắp xếp   [SELECT] Yêu thích   [L2] Đang đọc   [R2] Tìm   [START] Cập nhật OTA   [B] Thoát";
constexpr const char* LIST_HINT = "[▲▼] Chọn   [A] Đọc   [X] Lưới/DS   [Y] Sắp xếp   [SELECT] Yêu thích   [L2] Đang đọc   [R2] Tìm   [START] Cập nhật OTA   [B] Thoát";
constexpr const char* HISTORY_HINT = "[D-Pad] Chọn   [A] Mở truyện   [X] Lưới/DS   [START] Cập nhật OTA   [L2/B] Quay lại";
constexpr const char* LIBRARY_HINT = "[D-Pad] Chọn   [A] Mở truyện   [X] Lưới/DS   [START] Cập nhật OTA   [L1/B] Quay lại";
constexpr const char* SEARCH_HINT = "[D-Pad] Chọn   [A] Đọc   [X] Lưới/DS   [Y] Sắp xếp   [SELECT] Yêu thích   [R2] Tìm lại   [B] Quay lại";
// clang-format on
constexpr int BADGE_PADDING = 4;
constexpr const char* VIEWS_EYE = "👁 ";
constexpr const char* CHIP_BLANKS = "  ";
constexpr const char* LIST_PLACEHOLDER = "TRUYỆN";
constexpr const char* BACK_HINT = "Bấm [B] để quay lại";
constexpr int NUMBER_GAP = 8;
namespace geometry = home_geometry;

// The front page's hint names every key; the other sources say how to go back.
const char* footer_hint(const AppState& state, const char* front_page_hint) {
  switch (state.home.source) {
    case HomeSource::History:
      return HISTORY_HINT;
    case HomeSource::Search:
      return SEARCH_HINT;
    case HomeSource::Library:
      return LIBRARY_HINT;
    case HomeSource::FrontPage:
      break;
  }
  return front_page_hint;
}

// What an empty home screen says, for the source it shows.
std::string empty_message(const HomeState& home) {
  if (home.source == HomeSource::History) return "Bạn chưa đọc truyện nào.";
  if (home.source == HomeSource::Library)
    return "Chưa có truyện trên thẻ. Chép thư mục truyện hoặc tệp CBZ vào thư mục Manga ở gốc thẻ.";
  if (home.source == HomeSource::Search && !home.favorites_only)
    return "Không tìm thấy truyện nào cho “" + home.search_query + "”.";
  return "Chưa có truyện trong mục này. Bấm [SELECT] để quay lại tất cả.";
}

// The chapters a favourite has after the one last read, when there are any.
std::optional<std::size_t> news_to_mark(const AppState& state, const MangaItem& item,
                                        bool favourite) {
  if (!favourite) return std::nullopt;
  const auto count = new_chapters(state, item);
  if (!count || *count == 0) return std::nullopt;
  return count;
}

void draw_grid_card(Renderer& r, const AppState& state, const MangaItem& item, bool selected, int x,
                    int y, int g, LayoutServices& services) {
  if (selected) {
    fill_rounded_rect(r.canvas, x, y, g, geometry::GRID_CARD_HEIGHT, 10, palette::ACCENT);
    fill_rounded_rect(r.canvas, x + 3, y + 3, g - 6, geometry::GRID_CARD_HEIGHT - 6, 8,
                      palette::PANEL);
  } else {
    fill_rounded_rect(r.canvas, x, y, g, geometry::GRID_CARD_HEIGHT, 10, palette::PANEL);
  }
  if (const SharedImage cover = services.get_thumbnail(item.thumb_url)) {
    draw_cover(r.canvas, cover, x + 8, y + 8, g - 16, 205, 8);
  } else {
    fill_rounded_rect(r.canvas, x + 8, y + 8, g - 16, 205, 8, palette::RECESSED_SURFACE);
    draw_text(r, "NETTRUYEN", x + 8 + (g - 16) / 2 - 45, y + 102, palette::SECONDARY_TEXT, 14.0f);
  }
  const bool favourite = services.is_favorite(item.url);
  if (favourite) {
    darken_rounded_rect(r.canvas, x + g - 38, y + 14, 24, 22, 5);
    draw_text(r, "★", x + g - 34, y + 18, palette::STAR_TEXT, 15.0f);
  }
  // In the cover's free corner, across from the star.
  if (const auto news = news_to_mark(state, item, favourite))
    draw_news_badge(r, *news, x + 14, y + 14);
  if (!item.views.empty()) {
    // The badge grows to the left for a long count, within the cover; its right edge stays.
    // The count is measured only as far as the badge can grow, and drawn after the eye rather
    // than copied behind it: a megabyte count costs what a short one does.
    const int widest = std::max(68, g - 28);
    const int eye_width = static_cast<int>(text_width(r.font, VIEWS_EYE, 11.5f));
    const auto views_width =
        text_width_up_to(r.font, item.views, 11.5f, widest - eye_width - 2 * BADGE_PADDING);
    const int badge_width = static_cast<int>(std::clamp<std::int64_t>(
        eye_width + views_width + std::int64_t{2} * BADGE_PADDING, 68, widest));
    const int badge_right = x + g - 14;
    const int text_left = badge_right - badge_width + BADGE_PADDING;
    darken_rounded_rect(r.canvas, badge_right - badge_width, y + 189, badge_width, 18, 4);
    draw_text_fitted(r, VIEWS_EYE, text_left, y + 192, palette::BADGE_TEXT, 11.5f,
                     badge_right - BADGE_PADDING);
    draw_text_fitted(r, item.views, text_left + eye_width, y + 192, palette::BADGE_TEXT, 11.5f,
                     badge_right - BADGE_PADDING);
  }
  draw_wrapped_text(r, item.title, x + 10, y + 221, g - 20, 18, palette::PRIMARY_TEXT, 14.0f, 2);
  fill_rounded_rect(r.canvas, x + 10, y + 269, g - 20, 20, 4, palette::RECESSED_SURFACE);
  draw_text_fitted(r, item.latest_chapter, x + 16, y + 272, palette::HIGHLIGHT_TEXT, 12.0f,
                   x + g - 16);
}

void draw_grid(Renderer& r, const AppState& state, LayoutServices& services) {
  const int k = static_cast<int>(std::max<std::size_t>(state.home.grid_columns, 1));
  const int g = geometry::grid_card_width(r.canvas.width(), k);
  const std::size_t capacity = static_cast<std::size_t>(k) * geometry::grid_rows(r.canvas.height());
  const std::size_t count = state.home.displayed_items.size();
  for (std::size_t n = 0; n < capacity && state.home.home_scroll + n < count; ++n) {
    const std::size_t index = state.home.home_scroll + n;
    const int column = static_cast<int>(n % k);
    const int row = static_cast<int>(n / k);
    draw_grid_card(r, state, state.home.displayed_items[index], index == state.home.home_selected,
                   geometry::GRID_LEFT + column * (g + geometry::GRID_COLUMN_GAP),
                   geometry::GRID_TOP + row * geometry::GRID_ROW_PITCH, g, services);
  }
  draw_footer(r, footer_hint(state, GRID_HINT), 13.0f);
}

void draw_list_row(Renderer& r, const AppState& state, const MangaItem& item, std::size_t index,
                   bool selected, int top, LayoutServices& services) {
  const HomeSource source = state.home.source;
  const int w = r.canvas.width();
  if (selected) {
    fill_rounded_rect(r.canvas, 20, top, w - 40, geometry::LIST_ROW_HEIGHT, 8, palette::ACCENT);
    fill_rounded_rect(r.canvas, 22, top + 2, w - 44, geometry::LIST_ROW_HEIGHT - 4, 6,
                      palette::PANEL);
  } else {
    fill_rounded_rect(r.canvas, 20, top, w - 40, geometry::LIST_ROW_HEIGHT, 8, palette::PANEL);
  }
  if (const SharedImage cover = services.get_thumbnail(item.thumb_url)) {
    draw_cover(r.canvas, cover, 30, top + 3, 44, 56, 5);
  } else {
    fill_rounded_rect(r.canvas, 30, top + 3, 44, 56, 5, palette::RECESSED_SURFACE);
    // Centred in its box, which it would overrun from the left edge of the old placement.
    const int label_width = static_cast<int>(text_width(r.font, LIST_PLACEHOLDER, 10.0f));
    draw_text_fitted(r, LIST_PLACEHOLDER, 30 + (44 - label_width) / 2, top + 25,
                     palette::SECONDARY_TEXT, 10.0f, 74);
  }
  const std::string number = std::to_string(index + 1) + ".";
  draw_text(r, number, 88, top + 14, palette::SECONDARY_TEXT, 15.0f);
  // Numbers from 10 up push the title right, so the two never touch.
  const int title_left =
      std::max(115, 88 + static_cast<int>(text_width(r.font, number, 15.0f)) + NUMBER_GAP);
  const Color title_color = selected ? palette::PRIMARY_TEXT : palette::LIST_TEXT;
  // A long title ends a gap before "[A] Đọc ngay", or inside its row.
  const int title_right = selected ? w - 130 - NUMBER_GAP : w - 20 - NUMBER_GAP;
  const bool favourite = services.is_favorite(item.url);
  if (favourite) {
    draw_text(r, "★", title_left, top + 13, palette::STAR_TEXT, 16.0f);
    draw_text_fitted(r, item.title, title_left + 20, top + 13, title_color, 16.5f, title_right);
  } else {
    draw_text_fitted(r, item.title, title_left, top + 13, title_color, 16.5f, title_right);
  }
  // Long chapter names and counts stay in their chip and before the hint. The history's reading
  // position has no views beside it and the chip grows to show its page.
  // The chapter is drawn after its two blanks rather than copied between them, and measured
  // only as far as the chip can grow.
  const int blanks_width = static_cast<int>(text_width(r.font, CHIP_BLANKS, 12.0f));
  const int widest_chip = w - 130 - NUMBER_GAP - 88;
  const int chip_width =
      source == HomeSource::History || source == HomeSource::Library
          ? static_cast<int>(std::clamp<std::int64_t>(
                text_width_up_to(r.font, item.latest_chapter, 12.0f, widest_chip) +
                    std::int64_t{2} * blanks_width + 8,
                120, std::max(120, widest_chip)))
          : 120;
  fill_rounded_rect(r.canvas, 88, top + 36, chip_width, 20, 4, palette::RECESSED_SURFACE);
  draw_text_fitted(r, item.latest_chapter, 92 + blanks_width, top + 39, palette::HIGHLIGHT_TEXT,
                   12.0f, 88 + chip_width);
  // Beside the chapter line it counts from; the views move right to make room.
  int views_left = 220;
  if (const auto news = news_to_mark(state, item, favourite)) {
    views_left = std::max(views_left,
                          draw_news_badge(r, *news, 88 + chip_width + NUMBER_GAP, top + 35) + 12);
  }
  if (!item.views.empty()) {
    draw_text_fitted(r, VIEWS_EYE, views_left, top + 40, palette::SECONDARY_TEXT, 12.0f,
                     w - 130 - NUMBER_GAP);
    draw_text_fitted(r, item.views,
                     views_left + static_cast<int>(text_width(r.font, VIEWS_EYE, 12.0f)), top + 40,
                     palette::SECONDARY_TEXT, 12.0f, w - 130 - NUMBER_GAP);
  }
  if (selected) draw_text(r, "[A] Đọc ngay", w - 130, top + 24, palette::HIGHLIGHT_TEXT, 13.0f);
}

void draw_list(Renderer& r, const AppState& state, LayoutServices& services) {
  const std::size_t rows = geometry::list_rows(r.canvas.height());
  const std::size_t count = state.home.displayed_items.size();
  for (std::size_t n = 0; n < rows && state.home.home_scroll + n < count; ++n) {
    const std::size_t index = state.home.home_scroll + n;
    draw_list_row(r, state, state.home.displayed_items[index], index,
                  index == state.home.home_selected,
                  geometry::LIST_TOP + geometry::LIST_ROW_PITCH * static_cast<int>(n), services);
  }
  draw_footer(r, footer_hint(state, LIST_HINT), 13.0f);
}

}  // namespace

void draw_home_body(Renderer& r, const AppState& state, LayoutServices& services,
                    bool listing_loading) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  if (listing_loading) {
    const char* loading = "Đang tải danh sách truyện từ NetTruyen...";
    if (state.home.grid_view) {
      draw_text(r, loading, w / 2 - 180, h / 2, palette::HIGHLIGHT_TEXT, 20.0f);
    } else {
      draw_text(r, loading, w / 2 - 180, h / 2 - 20, palette::HIGHLIGHT_TEXT, 20.0f);
      draw_text(r, "Vui lòng giữ kết nối Wi-Fi ổn định", w / 2 - 130, h / 2 + 15,
                palette::SECONDARY_TEXT, 15.0f);
    }
    return;
  }
  if (state.home.home_error && home_listing_failed_with_nothing_shown(state.home)) {
    draw_text(r, "Lỗi: " + *state.home.home_error, w / 2 - 240, h / 2 - 20, palette::ERROR_TEXT,
              18.0f);
    // Away from the front page, B is the other way out.
    draw_text(r,
              state.home.source == HomeSource::FrontPage ? "Bấm [A] để thử lại"
                                                         : "Bấm [A] để thử lại, [B] để quay lại",
              w / 2 - 240, h / 2 + 15, palette::SECONDARY_TEXT, 15.0f);
    // Away from the network, what is on the card can still be read.
    if (state.home.source == HomeSource::FrontPage)
      draw_text(r, "[L1] Truyện đã tải", w / 2 - 240, h / 2 + 45, palette::SECONDARY_TEXT, 15.0f);
    return;
  }
  if (state.home.displayed_items.empty()) {
    draw_text_fitted(r, empty_message(state.home), w / 2 - 240, h / 2, palette::SECONDARY_TEXT,
                     18.0f, w - 20);
    if (state.home.source != HomeSource::FrontPage && !state.home.favorites_only)
      draw_text(r, BACK_HINT, w / 2 - 240, h / 2 + 35, palette::SECONDARY_TEXT, 15.0f);
    return;
  }
  if (state.home.grid_view) {
    draw_grid(r, state, services);
  } else {
    draw_list(r, state, services);
  }
}

void draw_home_screen(Renderer& r, const AppState& state, LayoutServices& services) {
  draw_home_header(r, state, services);
  draw_home_body(r, state, services, state.home.home_loading);
}

}  // namespace zentomi
