#include "screens/common/bars.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"
#include "model/build_config.hpp"
#include "screens/common/news_marks.hpp"

namespace zentomi {
namespace {

constexpr int INDICATOR_RIGHT = 12;  // the indicator ends this many columns before the edge
constexpr int INDICATOR_PADDING = 6;
constexpr int VERSION_GAP = 11;  // between the version and the indicator

// Draws the update indicator at the right end of the header and returns its left edge, so the
// version can stand clear of it.
int draw_update_indicator(Renderer& r, const AppState& state) {
  const int w = r.canvas.width();
  if (std::holds_alternative<update_status::Checking>(state.update.update_status)) {
    draw_text(r, "🔄 Đang kiểm tra...", w - 150, 19, palette::HIGHLIGHT_TEXT, 12.0f);
    return w - 150;
  }
  if (std::holds_alternative<update_status::Available>(state.update.update_status)) {
    // The chip is as wide as its text needs, never narrower than it was drawn before.
    const char* const label = "✨ CÓ BẢN MỚI [START]";
    const int width =
        std::max(138, static_cast<int>(text_width(r.font, label, 11.5f)) + 2 * INDICATOR_PADDING);
    const int left = w - INDICATOR_RIGHT - width;
    fill_rounded_rect(r.canvas, left, 14, width, 24, 6, palette::ACCENT);
    draw_text(r, label, left + INDICATOR_PADDING, 19, palette::PRIMARY_TEXT, 11.5f);
    return left;
  }
  fill_rounded_rect(r.canvas, w - 110, 14, 98, 24, 6, palette::SEPARATOR);
  draw_text(r, "OTA [START]", w - 98, 19, palette::SECONDARY_TEXT, 11.5f);
  return w - 110;
}

// The download queue's chip, its right edge `right`: what is left to download with the running
// chapter's pages, or why the queue has stopped. Nothing while the queue is empty. Gives its left
// edge (`right` when not drawn).
int draw_download_chip(Renderer& r, const AppState& state, LayoutServices& services, int right) {
  const std::optional<std::string> stopped = services.download_stop_message();
  DownloadSummary summary = services.download_summary();
  if (!stopped && summary.waiting == 0) return right;
  const DownloadProgress& reported = state.download_progress;
  const ChapterDownloadStatus running =
      shown_download_status(services.download_status(reported.chapter_url), stopped.has_value(),
                            reported.chapter_url, reported);
  if (running.mark == DownloadMark::Downloading) {
    summary.pages_done = running.pages_done;
    summary.pages_total = running.pages_total;
  }
  const std::string text = stopped ? *stopped : download_chip_text(summary);
  const int width = static_cast<int>(text_width(r.font, text, 11.5f)) + 2 * INDICATOR_PADDING;
  const int left = right - width;
  fill_rounded_rect(r.canvas, left, 14, width, 24, 6,
                    stopped ? palette::ERROR_BAND : palette::INFORMATION_BAND);
  draw_text(r, text, left + INDICATOR_PADDING, 19, palette::PRIMARY_TEXT, 11.5f);
  return left;
}

}  // namespace

std::string download_chip_text(const DownloadSummary& summary) {
  std::string text = "⬇ " + std::to_string(summary.waiting);
  if (summary.pages_total > 0)
    text += " · " + std::to_string(summary.pages_done) + "/" + std::to_string(summary.pages_total);
  return text;
}

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

void draw_home_header(Renderer& r, const AppState& state, LayoutServices& services) {
  const int w = r.canvas.width();
  fill_rect(r.canvas, 0, 0, w, bars::HEADER_HEIGHT, palette::BAR_BACKGROUND);
  fill_rect(r.canvas, 0, bars::HEADER_HEIGHT - 2, w, 2, palette::ACCENT);
  draw_text(r, "ZENTOMI", 24, 14, palette::ACCENT, 24.0f);

  // The filter chip holds its longer label, "★ YÊU THÍCH [SELECT]"; the chips after it follow.
  fill_rounded_rect(r.canvas, 165, 14, 172, 24, 6, palette::SEPARATOR);
  if (state.home.source == HomeSource::History) {
    draw_text(r, "ĐANG ĐỌC [L2]", 175, 19, palette::PRIMARY_TEXT, 13.0f);
  } else if (state.home.source == HomeSource::Library) {
    draw_text(r, "ĐÃ TẢI [L1]", 175, 19, palette::PRIMARY_TEXT, 13.0f);
  } else if (state.home.source == HomeSource::Search) {
    // A long query gives way to the key, which must stay readable.
    const std::string key = " [R2]";
    const std::string prefix = state.home.favorites_only ? "★ TÌM: " : "TÌM: ";
    const Color color = state.home.favorites_only ? palette::STAR_TEXT : palette::PRIMARY_TEXT;
    const int key_left = 165 + 172 - 10 - static_cast<int>(text_width(r.font, key, 13.0f));
    const std::string query = prefix + state.home.search_query;
    const int query_width = static_cast<int>(text_width(r.font, query, 13.0f));
    draw_text_fitted(r, query, 175, 19, color, 13.0f, key_left);
    draw_text(r, key, std::min(175 + query_width, key_left), 19, color, 13.0f);
  } else if (state.home.favorites_only) {
    draw_text(r, "★ YÊU THÍCH [SELECT]", 175, 19, palette::STAR_TEXT, 13.0f);
  } else {
    draw_text(r, "TẤT CẢ [SELECT]", 175, 19, palette::PRIMARY_TEXT, 13.0f);
  }
  fill_rounded_rect(r.canvas, 347, 14, 120, 24, 6, palette::SEPARATOR);
  draw_text(r, state.home.grid_view ? "LƯỚI [X]" : "DANH SÁCH [X]", 357, 19, palette::PRIMARY_TEXT,
            13.0f);
  // The history and the library keep their own order and Y does nothing there: no sort chip
  // offers it.
  if (state.home.source != HomeSource::History && state.home.source != HomeSource::Library) {
    fill_rounded_rect(r.canvas, 477, 14, 150, 24, 6, palette::SEPARATOR);
    draw_text(r, std::string(sort_mode_label(state.home.sort_mode)) + ": [Y]", 487, 19,
              palette::HIGHLIGHT_TEXT, 13.0f);
  }
  const int indicator_left = draw_update_indicator(r, state);
  const std::string version = std::string("v") + APP_VERSION;
  const int version_width = static_cast<int>(text_width(r.font, version, 14.5f));
  const int version_left = std::min(w - 170, indicator_left - VERSION_GAP - version_width);
  draw_text(r, version, version_left, 18, palette::SECONDARY_TEXT, 14.5f);
  const int download_left = draw_download_chip(r, state, services, version_left - VERSION_GAP);
  draw_check_chip(r, state.news.check, 637, download_left - VERSION_GAP);
}

void draw_footer(Renderer& r, const char* hint, float size) {
  const int h = r.canvas.height();
  fill_rect(r.canvas, 0, h - bars::FOOTER_HEIGHT, r.canvas.width(), bars::FOOTER_HEIGHT,
            palette::BAR_BACKGROUND);
  draw_text(r, hint, 20, h - 28, palette::SECONDARY_TEXT, size);
}

}  // namespace zentomi
