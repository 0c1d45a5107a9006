#include "screens/detail/detail_layout.hpp"

#include <algorithm>
#include <string>

#include "draw/image_drawing.hpp"
#include "model/site_address.hpp"
#include "screens/common/bars.hpp"
#include "screens/detail/detail_geometry.hpp"

namespace zentomi {
namespace {

// clang-format off
constexpr const char* DETAIL_HINT = "[▲▼] Chọn chương   [A] Đọc   [START] Đọc tiếp   [X] Đổi thứ tự   [Y] Yêu thích   [SELECT] Tải/Xoá   [R2] Tải 10   [B] Trở về";
// clang-format on
constexpr int CHIP_PADDING = 10;
constexpr int CHAPTER_NAME_GAP = 10;
constexpr int MARKER_GAP = 14;

// What a chapter row says of its download; empty for a chapter that has nothing to do with one.
std::string download_marker(const ChapterDownloadStatus& status) {
  switch (status.mark) {
    case DownloadMark::None:
      return {};
    case DownloadMark::Queued:
      return "⬇ Chờ tải";
    case DownloadMark::Downloading:
      return "⬇ " + std::to_string(status.pages_done) + "/" + std::to_string(status.pages_total);
    case DownloadMark::Downloaded:
      return "✓ Đã tải";
    case DownloadMark::Failed:
      return "✗ Tải lỗi";
  }
  return {};
}

Color marker_color(DownloadMark mark, bool selected) {
  if (selected) return palette::PRIMARY_TEXT;
  if (mark == DownloadMark::Downloaded) return palette::SUCCESS_TEXT;
  if (mark == DownloadMark::Failed) return palette::ERROR_TEXT;
  return palette::INFORMATION_TEXT;
}

std::string cover_address(const AppState& state) {
  if (state.details.detail && !state.details.detail->cover_url.empty())
    return state.details.detail->cover_url;
  return state.details.current_item ? state.details.current_item->thumb_url : std::string();
}

void draw_left_panel(Renderer& r, const AppState& state, LayoutServices& services, bool favorite) {
  const int h = r.canvas.height();
  fill_rounded_rect(r.canvas, 20, 65, 320, h - 120, 10, palette::PANEL);
  fill_rounded_rect(r.canvas, 87, 75, 186, 241, 10,
                    favorite ? palette::STAR_TEXT : palette::SEPARATOR);
  if (const SharedImage cover = services.get_thumbnail(cover_address(state))) {
    draw_cover(r.canvas, cover, 90, 78, 180, 235, 8);
  } else {
    fill_rounded_rect(r.canvas, 90, 78, 180, 235, 8, palette::RECESSED_SURFACE);
    draw_text(r, "NETTRUYEN", 135, 195, palette::SECONDARY_TEXT, 15.0f);
  }

  fill_rounded_rect(r.canvas, 32, 325, 115, 24, 6, palette::SUCCESS_BAND);
  draw_text(r, "Đang phát hành", 40, 330, palette::SUCCESS_TEXT, 12.0f);
  if (favorite) {
    fill_rounded_rect(r.canvas, 158, 325, 145, 24, 6, palette::AMBER_CHIP);
    draw_text(r, "★ ĐÃ THÍCH [Y]", 168, 330, palette::STAR_TEXT, 12.0f);
  } else {
    fill_rounded_rect(r.canvas, 158, 325, 145, 24, 6, palette::SEPARATOR);
    draw_text(r, "☆ LƯU THÍCH [Y]", 168, 330, palette::PRIMARY_TEXT, 12.0f);
  }

  // A view, not a copy: the title stays where it is, which lets a long one be wrapped once.
  std::string_view title = "Truyện tranh";
  if (state.details.detail) {
    title = state.details.detail->title;
  } else if (state.details.current_item) {
    title = state.details.current_item->title;
  }
  draw_wrapped_text(r, title, 32, 359, 296, 22, palette::ACCENT, 17.5f, 2);
  draw_text(r, "Thể loại:", 32, 407, palette::PRIMARY_TEXT, 13.0f);
}

void draw_loading_layout(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  const int h = r.canvas.height();
  // A failed load says why, and nothing on the screen promises data that will not come.
  const bool failed = !state.details.detail_loading && state.details.detail_error;
  if (!failed) {
    draw_text(r, "Đang tải dữ liệu...", 32, 425, palette::SECONDARY_TEXT, 12.5f);
    draw_text(r, "Tóm tắt nội dung:", 32, 465, palette::PRIMARY_TEXT, 13.0f);
    draw_text(r, "Đang lấy tóm tắt nội dung từ NetTruyen...", 32, 483, palette::SECONDARY_TEXT,
              12.0f);
  }
  if (h - 55 > 65 && w - 20 > 355) {
    fill_rounded_rect(r.canvas, 355, 65, w - 375, h - 120, 10, palette::PANEL);
  }
  if (failed) {
    draw_text_fitted(r, "Lỗi: " + *state.details.detail_error, 385, h / 2 - 20, palette::ERROR_TEXT,
                     17.0f, w - 35);
  } else {
    draw_text(r, "Đang tải thông tin & danh sách chương từ NetTruyen...", 385, h / 2 - 20,
              palette::HIGHLIGHT_TEXT, 17.0f);
    draw_text(r, "Vui lòng giữ kết nối Wi-Fi ổn định", 385, h / 2 + 15, palette::SECONDARY_TEXT,
              14.0f);
  }
  draw_text(r, "Bấm [B] để quay lại", 385, h / 2 + 50, palette::PRIMARY_TEXT, 14.0f);
  draw_footer(r, "[B] Trở về màn hình chính", 13.5f);
}

void draw_continue_box(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  if (w - 20 > 355) {
    fill_rounded_rect(r.canvas, 355, 65, w - 375, 48, 8, palette::INFORMATION_BAND);
    fill_rounded_rect(r.canvas, 357, 67, w - 379, 44, 6, palette::DARK_BLUE_PANEL);
  }
  if (!state.details.current_history) {
    draw_text(r, "⏮ BẮT ĐẦU ĐỌC TỪ ĐẦU (Chương 1) [START]", 371, 78, palette::SUCCESS_TEXT, 15.0f);
    return;
  }
  const MangaHistory& history = *state.details.current_history;
  // A long chapter title must not run under the first-chapter hint; it is shortened, so that the
  // page and the key, the line's most useful part, stay.
  const std::string head = "▶ ĐỌC TIẾP: ";
  const std::string tail = " (Trang " + std::to_string(history.last_page_idx + 1) + ") [START]";
  const int line_right = w - 240;
  const int title_left = 371 + static_cast<int>(text_width(r.font, head, 15.0f));
  const int title_right = line_right - static_cast<int>(text_width(r.font, tail, 15.0f));
  draw_text_fitted(r, head, 371, 78, palette::STAR_TEXT, 15.0f, line_right);
  const std::int64_t tail_left = draw_text_shortened(r, history.last_chapter_title, title_left, 78,
                                                     palette::STAR_TEXT, 15.0f, title_right);
  draw_text_fitted(r, tail, static_cast<int>(tail_left), 78, palette::STAR_TEXT, 15.0f, line_right);
  draw_text(r, "⏮ Đọc từ đầu: Chap 1 [L1]", w - 230, 80, palette::SECONDARY_TEXT, 13.0f);
}

void draw_chapter_list(Renderer& r, const AppState& state, LayoutServices& services) {
  const int w = r.canvas.width();
  draw_text(r, "DANH SÁCH CHƯƠNG (" + std::to_string(state.details.chapters.size()) + " TẬP)", 355,
            129, palette::PRIMARY_TEXT, 15.0f);
  const std::string order = std::string("Thứ tự: ") +
                            (state.details.chapters_reversed ? "Cũ ➔ Mới (Từ đầu)" : "Mới ➔ Cũ") +
                            " [X]";
  // The chip grows to the left for the longer order, keeping its right edge and padding.
  const int chip_width =
      std::max(180, static_cast<int>(text_width(r.font, order, 12.5f)) + 2 * CHIP_PADDING);
  fill_rounded_rect(r.canvas, w - 20 - chip_width, 125, chip_width, 24, 6, palette::SEPARATOR);
  draw_text(r, order, w - 20 - chip_width + CHIP_PADDING, 130, palette::HIGHLIGHT_TEXT, 12.5f);

  const bool queue_stopped = services.download_stop_message().has_value();
  const std::size_t rows = detail_geometry::chapter_rows(r.canvas.height());
  for (std::size_t n = 0;
       n < rows && state.details.chapter_scroll + n < state.details.chapters.size(); ++n) {
    const std::size_t index = state.details.chapter_scroll + n;
    const ChapterRef& chapter = state.details.chapters[index];
    const bool selected = index == state.details.chapter_selected;
    const bool being_read =
        state.details.current_history &&
        same_title(state.details.current_history->last_chapter_url, chapter.url);
    const int top = detail_geometry::chapter_row_top(n);
    if (w - 20 > 355) {
      fill_rounded_rect(r.canvas, 355, top, w - 375, detail_geometry::CHAPTER_ROW_HEIGHT, 6,
                        selected ? palette::ACCENT : palette::PANEL);
    }
    // A long name ends a gap before the first marker of its row, or before the row's end.
    int name_right = w - 20 - CHAPTER_NAME_GAP;
    if (selected) {
      name_right = (being_read ? w - 210 : w - 115) - CHAPTER_NAME_GAP;
      if (being_read) draw_text(r, "★ ĐANG ĐỌC", w - 210, top + 13, palette::STAR_TEXT, 12.0f);
      draw_text(r, "[A] Đọc ngay", w - 115, top + 13, palette::PRIMARY_TEXT, 13.0f);
    } else if (being_read) {
      name_right = w - 130 - CHAPTER_NAME_GAP;
      draw_text(r, "★ ĐANG ĐỌC", w - 130, top + 13, palette::STAR_TEXT, 12.0f);
    }
    // The download marker, or the question a first SELECT asked, ends before the other markers.
    const ChapterDownloadStatus status = shown_download_status(
        services.download_status(chapter.url), queue_stopped, chapter.url, state.download_progress);
    const bool asked = selected && state.details.delete_asked &&
                       same_title(state.details.delete_asked->chapter_url, chapter.url);
    const std::string marker =
        asked ? std::string("Bấm [SELECT] lần nữa để xoá") : download_marker(status);
    if (!marker.empty()) {
      const int marker_right = name_right + CHAPTER_NAME_GAP - MARKER_GAP;
      const int marker_left = marker_right - static_cast<int>(text_width(r.font, marker, 12.0f));
      draw_text(r, marker, marker_left, top + 13,
                asked ? palette::BADGE_TEXT : marker_color(status.mark, selected), 12.0f);
      name_right = marker_left - CHAPTER_NAME_GAP;
    }
    draw_text_shortened(r, chapter.name, 371, top + 11, palette::PRIMARY_TEXT, 15.0f, name_right);
  }
}

}  // namespace

void draw_detail_screen(Renderer& r, const AppState& state, LayoutServices& services) {
  draw_home_header(r, state, services);
  const bool favorite =
      state.details.current_item && services.is_favorite(state.details.current_item->url);
  draw_left_panel(r, state, services, favorite);
  if (!state.details.detail || state.details.detail_loading) {
    draw_loading_layout(r, state);
    return;
  }
  if (state.details.from_card && state.details.detail_error) {
    // Shown from the card: the one line says why, the list holds what is there.
    draw_text_fitted(r, "Lỗi: " + *state.details.detail_error, 32, 425, palette::ERROR_TEXT, 12.5f,
                     328);
  } else {
    draw_wrapped_text(r, state.details.detail->genres, 32, 425, 296, 18, palette::SECONDARY_TEXT,
                      12.5f, 2);
  }
  draw_text(r, "Tóm tắt nội dung:", 32, 465, palette::PRIMARY_TEXT, 13.0f);
  draw_wrapped_text(r, state.details.detail->summary, 32, 483, 296, 18, palette::SECONDARY_TEXT,
                    12.0f, 7);
  draw_continue_box(r, state);
  draw_chapter_list(r, state, services);
  draw_footer(r, DETAIL_HINT, 13.5f);
}

}  // namespace zentomi
