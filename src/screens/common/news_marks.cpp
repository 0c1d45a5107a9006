#include "screens/common/news_marks.hpp"

#include <algorithm>
#include <string>

#include "draw/canvas.hpp"
#include "draw/palette.hpp"

namespace zentomi {
namespace {

constexpr int PADDING = 6;
constexpr float BADGE_SIZE = 13.0f;
constexpr float CHIP_SIZE = 13.0f;

}  // namespace

int draw_news_badge(Renderer& r, std::size_t count, int left, int top) {
  // Appended: GCC 12 at -O3 misreads "+" + a temporary as overlapping copies.
  std::string label("+");
  label.append(std::to_string(count));
  const int width = static_cast<int>(text_width(r.font, label, BADGE_SIZE)) + 2 * PADDING;
  fill_rounded_rect(r.canvas, left, top, width, 22, 5, palette::ACCENT);
  draw_text(r, label, left + PADDING, top + 4, palette::PRIMARY_TEXT, BADGE_SIZE);
  return left + width;
}

namespace {

// "3/12": the favourite being refreshed (the last one once all are) of all the check refreshes.
std::string check_count(const CheckProgress& check) {
  const std::size_t shown = std::min(check.done + 1, check.total);
  return std::to_string(shown) + "/" + std::to_string(check.total);
}

}  // namespace

std::string check_chip_label(const CheckProgress& check) {
  return "Kiểm tra " + check_count(check);
}

void draw_check_chip(Renderer& r, const CheckProgress& check, int left, int right) {
  if (!check.running) return;
  // Squeezed by the chips at the header's right end (the narrow screen, with the update and
  // download chips shown), the chip keeps the count and gives up its word, or stands aside.
  std::string label = check_chip_label(check);
  int width = static_cast<int>(text_width(r.font, label, CHIP_SIZE)) + 2 * 10;
  if (left + width > right) {
    label = check_count(check);
    width = static_cast<int>(text_width(r.font, label, CHIP_SIZE)) + 2 * 10;
    if (left + width > right) return;
  }
  fill_rounded_rect(r.canvas, left, 14, width, 24, 6, palette::SEPARATOR);
  draw_text(r, label, left + 10, 19, palette::STAR_TEXT, CHIP_SIZE);
}

}  // namespace zentomi
