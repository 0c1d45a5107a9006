#include "screens/reader/page_panels.hpp"

#include <string>

namespace zentomi {

void draw_page_loading_panel(Renderer& renderer, std::size_t page_number, std::size_t page_count) {
  draw_page_loading_panel(renderer, page_number, page_count, renderer.canvas.height() / 2);
}

void draw_page_loading_panel(Renderer& renderer, std::size_t page_number, std::size_t page_count,
                             int cy) {
  const int cx = renderer.canvas.width() / 2;
  fill_rounded_rect(renderer.canvas, cx - 160, cy - 40, 320, 80, 10, palette::PANEL);
  const std::string progress = page_count == 0 ? std::string("Đang tải danh sách trang...")
                                               : "Đang tải trang " + std::to_string(page_number) +
                                                     " / " + std::to_string(page_count) + "...";
  draw_text(renderer, progress, cx - 110, cy - 10, palette::HIGHLIGHT_TEXT, 18.0f);
  draw_text(renderer, "Vui lòng đợi giây lát", cx - 60, cy + 15, palette::SECONDARY_TEXT, 13.0f);
}

void draw_page_failure_text(Renderer& renderer) {
  const int cx = renderer.canvas.width() / 2;
  const int cy = renderer.canvas.height() / 2;
  draw_text(renderer, "Không thể hiển thị trang truyện này", cx - 140, cy, palette::SECONDARY_TEXT,
            18.0f);
}

void draw_empty_chapter_text(Renderer& renderer) {
  const std::string_view message = "Không tìm thấy trang truyện trong chapter này";
  const int width = static_cast<int>(text_width(renderer.font, message, 18.0f));
  draw_text(renderer, message, (renderer.canvas.width() - width) / 2, renderer.canvas.height() / 2,
            palette::SECONDARY_TEXT, 18.0f);
}

}  // namespace zentomi
