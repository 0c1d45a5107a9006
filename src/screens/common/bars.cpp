#include "screens/common/bars.hpp"

#include <string>
#include <variant>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "model/build_config.hpp"

namespace zentomi {
namespace {

void draw_update_indicator(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  if (std::holds_alternative<update_status::Checking>(state.update.update_status)) {
    draw_text(r, "🔄 Đang kiểm tra...", w - 150, 19, palette::HIGHLIGHT_TEXT, 12.0f);
  } else if (std::holds_alternative<update_status::Available>(state.update.update_status)) {
    fill_rounded_rect(r.canvas, w - 150, 14, 138, 24, 6, palette::ACCENT);
    draw_text(r, "✨ CÓ BẢN MỚI [START]", w - 144, 19, palette::PRIMARY_TEXT, 11.5f);
  } else {
    fill_rounded_rect(r.canvas, w - 110, 14, 98, 24, 6, palette::SEPARATOR);
    draw_text(r, "OTA [START]", w - 98, 19, palette::SECONDARY_TEXT, 11.5f);
  }
}

}  // namespace

const char* sort_mode_label(SortMode mode) {
  switch (mode) {
    case SortMode::Latest:
      return "Mới cập nhật";
    case SortMode::Views:
      return "Lượt xem";
    case SortMode::NameAZ:
      return "Tên A-Z";
  }
  return "";
}

void draw_home_header(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  fill_rect(r.canvas, 0, 0, w, bars::HEADER_HEIGHT, palette::BAR_BACKGROUND);
  fill_rect(r.canvas, 0, bars::HEADER_HEIGHT - 2, w, 2, palette::ACCENT);
  draw_text(r, "ZENTOMI", 24, 14, palette::ACCENT, 24.0f);

  fill_rounded_rect(r.canvas, 165, 14, 140, 24, 6, palette::SEPARATOR);
  if (state.home.favorites_only) {
    draw_text(r, "★ YÊU THÍCH [SELECT]", 175, 19, palette::STAR_TEXT, 13.0f);
  } else {
    draw_text(r, "TẤT CẢ [SELECT]", 175, 19, palette::PRIMARY_TEXT, 13.0f);
  }
  fill_rounded_rect(r.canvas, 315, 14, 120, 24, 6, palette::SEPARATOR);
  draw_text(r, state.home.grid_view ? "LƯỚI [X]" : "DANH SÁCH [X]", 325, 19, palette::PRIMARY_TEXT,
            13.0f);
  fill_rounded_rect(r.canvas, 445, 14, 150, 24, 6, palette::SEPARATOR);
  draw_text(r, std::string(sort_mode_label(state.home.sort_mode)) + ": [Y]", 455, 19,
            palette::HIGHLIGHT_TEXT, 13.0f);
  draw_text(r, std::string("v") + APP_VERSION, w - 170, 18, palette::SECONDARY_TEXT, 14.5f);
  draw_update_indicator(r, state);
}

void draw_footer(Renderer& r, const char* hint, float size) {
  const int h = r.canvas.height();
  fill_rect(r.canvas, 0, h - bars::FOOTER_HEIGHT, r.canvas.width(), bars::FOOTER_HEIGHT,
            palette::BAR_BACKGROUND);
  draw_text(r, hint, 20, h - 28, palette::SECONDARY_TEXT, size);
}

}  // namespace zentomi
