// zentomi-text-specimen: draws the embedded font at every size the screens use, with Vietnamese
// diacritics, the screens' symbols, pictographs the font lacks and ill-formed UTF-8, into one
// 1280 × 720 PNG for a person to look at.
#include <cstdio>
#include <string>

#include "draw/canvas.hpp"
#include "draw/text.hpp"
#include "png_writer.hpp"

namespace {

using namespace zentomi;

constexpr float SIZES_IN_USE[] = {10, 11.5, 12,   12.5, 13,   13.5, 14, 14.5,
                                  15, 16,   16.5, 17,   17.5, 18,   20, 24};

void draw_specimen(Renderer& renderer) {
  Canvas& canvas = renderer.canvas;
  clear(canvas, palette::FRAME_BACKGROUND);
  draw_text(renderer, "ZENTOMI — DejaVu Sans Bold 2.37, chữ nhúng trong chương trình", 20, 14,
            palette::PRIMARY_TEXT, 24);

  int y = 56;
  for (float size : SIZES_IN_USE) {
    char label[16];
    std::snprintf(label, sizeof label, "%g", static_cast<double>(size));
    draw_text(renderer, label, 20, y, palette::SECONDARY_TEXT, 12);
    draw_text(renderer, "Truyện tranh mới — Đọc tiếp chương 12 ★ 4.8", 70, y, palette::LIST_TEXT,
              size);
    y += static_cast<int>(size) + 8;
  }

  const int right = 700;
  draw_text(renderer, "★ ☆ ▶ ◀ ▲ ▼ • ➔", right, 56, palette::STAR_TEXT, 24);
  draw_text(renderer, "Thiếu trong phông (ô thay thế): ⏮ 🚀 🔄 ✨ ❌ ✅ 👁", right,
            96, palette::ERROR_TEXT, 16);
  draw_text(renderer, "UTF-8 hỏng: a\xC3(b \xFF c\xE1\x80 d", right, 124, palette::BADGE_TEXT, 16);
  draw_text(renderer, "ăâđêôơư ĂÂĐÊÔƠƯ àáảãạ ằắẳẵặ ầấẩẫậ èéẻẽẹ ềếểễệ", right, 156,
            palette::PRIMARY_TEXT, 17.5);
  draw_text(renderer, "ìíỉĩị òóỏõọ ồốổỗộ ờớởỡợ ùúủũụ ừứửữự ỳýỷỹỵ", right, 184,
            palette::PRIMARY_TEXT, 17.5);

  fill_rounded_rect(canvas, right, 222, 320, 150, 10, palette::PANEL);
  draw_wrapped_text(renderer,
                    "Một thiếu niên bình thường bỗng phát hiện mình có thể nhìn thấy những điều "
                    "người khác không thấy. Từ đó, cuộc đời cậu rẽ sang một hướng khác hẳn: những "
                    "cuộc phiêu lưu, những người bạn mới và cả những bí mật được giấu kín suốt "
                    "nhiều năm trong ngôi làng nhỏ bên bờ biển, nơi không ai dám nhắc đến.",
                    right + 12, 232, 296, 18, palette::LIST_TEXT, 12, 7);
  draw_wrapped_text(renderer,
                    "Phiên bản 1.0.1: sửa lỗi khi đọc chương dài,\n\n  tải ảnh nhanh hơn, "
                    "thêm bộ lọc yêu thích và sắp xếp theo lượt xem.",
                    right, 390, 560, 22, palette::INFORMATION_TEXT, 14, 5);

  fill_rect(canvas, 0, canvas.height() - 42, canvas.width(), 42, palette::BAR_BACKGROUND);
  draw_text(renderer,
            "[D-Pad] Chọn   [A] Đọc   [X] Lưới/DS   [Y] Sắp xếp   [SELECT] Yêu thích   [START] "
            "Cập nhật OTA   [B] Thoát",
            20, canvas.height() - 28, palette::SECONDARY_TEXT, 13);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: zentomi-text-specimen OUT.png\n", stderr);
    return 2;
  }
  auto font = Font::load_embedded();
  if (!font) {
    std::fprintf(stderr, "%s\n", font.error().c_str());
    return 1;
  }
  Canvas canvas(1280, 720);
  Renderer renderer{canvas, *font};
  draw_specimen(renderer);
  if (auto written = sim::write_png(canvas, argv[1]); !written) {
    std::fprintf(stderr, "zentomi-text-specimen: %s\n", written.error().c_str());
    return 1;
  }
  return 0;
}
