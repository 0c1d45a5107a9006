#include "screens/update/update_layout.hpp"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <variant>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "model/build_config.hpp"

namespace zentomi {
namespace {

constexpr int PANEL_WIDTH = 640;
constexpr int PANEL_HEIGHT = 360;
constexpr int PANEL_RADIUS = 12;
constexpr int BAND_HEIGHT = 48;
constexpr int MARGIN = 24;
constexpr int CHANGELOG_WIDTH = 592;
constexpr int CHANGELOG_LINE_HEIGHT = 22;
constexpr int CHANGELOG_LINES = 5;

struct Panel {
  Renderer& r;
  int x0;
  int y0;

  void frame(Color band, std::string_view heading) const {
    fill_rounded_rect(r.canvas, x0, y0, PANEL_WIDTH, PANEL_HEIGHT, PANEL_RADIUS, palette::PANEL);
    fill_rounded_rect(r.canvas, x0, y0, PANEL_WIDTH, BAND_HEIGHT, 12, band);
    draw_text(r, heading, x0 + MARGIN, y0 + 14, palette::PRIMARY_TEXT, 18.0f);
  }
  void line(std::string_view text, int dy, Color color, float size) const {
    draw_text(r, text, x0 + MARGIN, y0 + dy, color, size);
  }
};

void draw_checking(const Panel& p) {
  p.frame(palette::INFORMATION_BAND, "🔄 KIỂM TRA BẢN CẬP NHẬT OTA");
  p.line(std::string("Đang kết nối máy chủ ") + UPDATE_ORIGIN + "...", 100, palette::HIGHLIGHT_TEXT,
         16.0f);
  p.line("Vui lòng giữ kết nối Wi-Fi ổn định.", 135, palette::SECONDARY_TEXT, 14.0f);
  p.line("Bấm [B] để Quay lại", 320, palette::PRIMARY_TEXT, 15.0f);
}

void draw_check_failed(const Panel& p, const std::string& message) {
  p.frame(palette::ERROR_BAND, "❌ KHÔNG THỂ KẾT NỐI MÁY CHỦ OTA");
  p.line("Lỗi: " + message, 90, palette::ERROR_TEXT, 14.0f);
  p.line("Vui lòng kiểm tra lại kết nối Wi-Fi trên TrimUI.", 125, palette::SECONDARY_TEXT, 14.0f);
  p.line("Bấm [A] hoặc [Y] để Thử lại  •  Bấm [B] để Quay lại", 320, palette::PRIMARY_TEXT, 15.0f);
}

void draw_up_to_date(const Panel& p) {
  p.frame(palette::SUCCESS_BAND, "✅ ỨNG DỤNG ĐÃ Ở PHIÊN BẢN MỚI NHẤT");
  p.line(std::string("Bạn đang chạy Zentomi phiên bản v") + APP_VERSION + " tối ưu nhất.", 80,
         palette::SUCCESS_TEXT, 16.0f);
  p.line(std::string("Máy chủ phân phối OTA: ") + UPDATE_ORIGIN + UPDATE_MANIFEST_PATH, 115,
         palette::SECONDARY_TEXT, 13.5f);
  p.line("Toàn bộ tính năng đọc truyện, phóng to thu nhỏ & danh sách tập đã sẵn sàng.", 150,
         palette::PRIMARY_TEXT, 13.5f);
  p.line("Bấm [A] hoặc [START] để Kiểm tra lại  •  Bấm [B] để Quay lại", 320,
         palette::HIGHLIGHT_TEXT, 15.0f);
}

void draw_update_dialog(const Panel& p, const OtaManifest& manifest, const UpdateStatus& status) {
  p.frame(palette::ACCENT, "🚀 PHÁT HIỆN BẢN CẬP NHẬT OTA MỚI");
  p.line(new_version_line(manifest), 70, palette::HIGHLIGHT_TEXT, 15.0f);
  p.line("Nhật ký cập nhật:", 105, palette::PRIMARY_TEXT, 15.0f);
  draw_wrapped_text(p.r, manifest.changelog, p.x0 + MARGIN, p.y0 + 130, CHANGELOG_WIDTH,
                    CHANGELOG_LINE_HEIGHT, palette::SECONDARY_TEXT, 14.0f, CHANGELOG_LINES);
  if (std::holds_alternative<update_status::Downloading>(status)) {
    // No progress fraction: curl reports none.
    fill_rounded_rect(p.r.canvas, p.x0 + MARGIN, p.y0 + 300, CHANGELOG_WIDTH, 36, 6,
                      palette::SEPARATOR);
    draw_text(p.r, "Đang tải xuống bản cập nhật... Vui lòng không tắt máy", p.x0 + 40, p.y0 + 312,
              palette::HIGHLIGHT_TEXT, 14.0f);
  } else if (const auto* failed = std::get_if<update_status::Failed>(&status)) {
    p.line("Lỗi: " + failed->message, 280, palette::ERROR_TEXT, 14.0f);
    p.line("[B] Bỏ qua   [Y] Thử lại", 320, palette::PRIMARY_TEXT, 15.0f);
  } else {
    p.line("Bấm [A] để Cài đặt ngay  •  Bấm [B] để Quay lại", 320, palette::STAR_TEXT, 15.0f);
  }
}

}  // namespace

std::string new_version_line(const OtaManifest& manifest) {
  std::string_view version = manifest.version;
  if (version.starts_with('v')) version.remove_prefix(1);
  std::string line =
      "Phiên bản mới: v" + std::string(version) + " (Hiện tại: v" + APP_VERSION + ")";
  // A size that is not a number of megabytes ("inf", "nan") says nothing and is left out.
  if (!std::isfinite(manifest.size_mb)) return line;
  // glibc rounds the float's exact value, so 12.345 shows as 12.3.
  char size[64];
  std::snprintf(size, sizeof size, "%.1f", static_cast<double>(manifest.size_mb));
  return line + " • Dung lượng: " + size + " MB";
}

ScreenRect update_panel_cover(int width, int height) {
  // The panel covers all of its rows but those of its rounded corners.
  return {(width - PANEL_WIDTH) / 2, (height - PANEL_HEIGHT) / 2 + PANEL_RADIUS, PANEL_WIDTH,
          PANEL_HEIGHT - 2 * PANEL_RADIUS};
}

void draw_update_panel(Renderer& renderer, const AppState& state) {
  const Panel panel{renderer, (renderer.canvas.width() - PANEL_WIDTH) / 2,
                    (renderer.canvas.height() - PANEL_HEIGHT) / 2};
  if (state.update.update_manifest) {
    draw_update_dialog(panel, *state.update.update_manifest, state.update.update_status);
  } else if (std::holds_alternative<update_status::Checking>(state.update.update_status)) {
    draw_checking(panel);
  } else if (const auto* failed = std::get_if<update_status::Failed>(&state.update.update_status)) {
    draw_check_failed(panel, failed->message);
  } else {
    draw_up_to_date(panel);
  }
}

}  // namespace zentomi
