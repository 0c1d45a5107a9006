#include "graphics/canvas.hpp"

#include <algorithm>

namespace zentomi {
namespace {

struct Span {
  int begin;
  int end;
};

Span clip(int start, int length, int limit) {
  // 64-bit sums: a huge size must not wrap into a visible range.
  const long long end = static_cast<long long>(start) + length;
  return {std::max(start, 0), static_cast<int>(std::clamp<long long>(end, 0, limit))};
}

// Distance of a coordinate from the corner centre along one axis; 0 on the straight part.
long long corner_distance(int start, int length, int r, int p) {
  const long long s = start, l = length, radius = r, q = p;
  if (q < s + radius) return s + radius - q;
  if (q < s + l - radius) return 0;
  return q - (s + l - radius) + 1;
}

template <typename PixelOp>
void for_each_in_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r, PixelOp op) {
  const Span rows = clip(y, h, canvas.height());
  const Span columns = clip(x, w, canvas.width());
  const long long radius_squared = static_cast<long long>(r) * r;
  for (int py = rows.begin; py < rows.end; ++py) {
    const long long dy = corner_distance(y, h, r, py);
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    for (int px = columns.begin; px < columns.end; ++px) {
      const long long dx = corner_distance(x, w, r, px);
      if (dx * dx + dy * dy <= radius_squared) row[px] = op(row[px]);
    }
  }
}

std::uint32_t darken(std::uint32_t pixel, std::uint32_t numerator, std::uint32_t denominator) {
  const std::uint32_t r = ((pixel >> 16) & 0xFF) * numerator / denominator;
  const std::uint32_t g = ((pixel >> 8) & 0xFF) * numerator / denominator;
  const std::uint32_t b = (pixel & 0xFF) * numerator / denominator;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

}  // namespace

Canvas::Canvas(int width, int height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

bool inside_rounded_rect(int x, int y, int w, int h, int r, int px, int py) {
  const long long dx = corner_distance(x, w, r, px);
  const long long dy = corner_distance(y, h, r, py);
  return dx * dx + dy * dy <= static_cast<long long>(r) * r;
}

void clear(Canvas& canvas, Color color) {
  std::fill_n(canvas.data(), static_cast<std::size_t>(canvas.width()) * canvas.height(), color);
}

void fill_rect(Canvas& canvas, int x, int y, int w, int h, Color color) {
  const Span rows = clip(y, h, canvas.height());
  const Span columns = clip(x, w, canvas.width());
  if (columns.begin >= columns.end) return;
  for (int py = rows.begin; py < rows.end; ++py) {
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    std::fill(row + columns.begin, row + columns.end, color);
  }
}

void fill_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r, Color color) {
  for_each_in_rounded_rect(canvas, x, y, w, h, r, [color](std::uint32_t) { return color; });
}

void darken_screen(Canvas& canvas) {
  darken_band(canvas, 0, canvas.height());
}

void darken_band(Canvas& canvas, int first_row, int end_row) {
  const int begin = std::max(first_row, 0);
  const int end = std::min(end_row, canvas.height());
  for (int py = begin; py < end; ++py) {
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    for (int px = 0; px < canvas.width(); ++px)
      row[px] = darken(row[px], 2, 15);
  }
}

void darken_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r) {
  for_each_in_rounded_rect(canvas, x, y, w, h, r,
                           [](std::uint32_t pixel) { return darken(pixel, 1, 5); });
}

void blend_pixel(Canvas& canvas, int x, int y, std::uint8_t red, std::uint8_t green,
                 std::uint8_t blue, std::uint8_t alpha) {
  if (alpha == 0 || !canvas.contains(x, y)) return;
  std::uint32_t& pixel = canvas.data()[static_cast<std::size_t>(y) * canvas.width() + x];
  pixel = blend_color(pixel, red, green, blue, alpha);
}

}  // namespace zentomi
