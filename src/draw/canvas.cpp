#include "draw/canvas.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

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

// Integer square root, for the half-width of a rounded corner's row.
long long isqrt(long long value) {
  long long root = static_cast<long long>(std::sqrt(static_cast<double>(value)));
  while (root * root > value)
    --root;
  while ((root + 1) * (root + 1) <= value)
    ++root;
  return root;
}

template <typename RowOp>
void for_each_rounded_span(Canvas& canvas, int x, int y, int w, int h, int r, RowOp op) {
  const Span rows = clip(y, h, canvas.height());
  if (w <= 0) return;
  for (int py = rows.begin; py < rows.end; ++py) {
    const ColumnSpan row = rounded_row(x, y, w, h, r, py);
    const int begin = std::max(row.begin, 0);
    const int end = std::min(row.end, canvas.width());
    if (begin >= end) continue;
    std::uint32_t* pixels = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    op(pixels + begin, pixels + end);
  }
}

// floor(c / 5) for c in 0..255 as a multiply and a shift (checked exhaustively by the tests).
inline std::uint32_t darken_pixel_badge(std::uint32_t pixel) {
  const std::uint32_t r = (((pixel >> 16) & 0xFF) * 13108) >> 16;
  const std::uint32_t g = (((pixel >> 8) & 0xFF) * 13108) >> 16;
  const std::uint32_t b = ((pixel & 0xFF) * 13108) >> 16;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Fills `count` pixels with one colour, 32 at a time: the compiler turns the fixed inner loop
// into a few wide stores, where a plain fill stores one register per iteration. On a desktop with
// AVX2 the stores are twice as wide. Not under ThreadSanitizer (see darken_pixels).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(ZENTOMI_TSAN)
__attribute__((target_clones("avx2", "default")))
#endif
void fill_pixels(std::uint32_t* first, std::size_t count, std::uint32_t color) {
  constexpr std::size_t BLOCK = 32;
  std::size_t i = 0;
  for (; i + BLOCK <= count; i += BLOCK) {
    for (std::size_t k = 0; k < BLOCK; ++k)
      first[i + k] = color;
  }
  for (; i < count; ++i)
    first[i] = color;
}

}  // namespace

// As fill_pixels, 32 at a time. glibc copies runs of this size with `rep movsb`, which costs
// little on a desktop but, counted by callgrind, one instruction per byte.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(ZENTOMI_TSAN)
__attribute__((target_clones("avx2", "default")))
#endif
void copy_pixels(std::uint32_t* __restrict destination, const std::uint32_t* __restrict source,
                 std::size_t count) {
  constexpr std::size_t BLOCK = 32;
  std::size_t i = 0;
  for (; i + BLOCK <= count; i += BLOCK) {
    for (std::size_t k = 0; k < BLOCK; ++k)
      destination[i + k] = source[i + k];
  }
  for (; i < count; ++i)
    destination[i] = source[i];
}

Canvas::Canvas(int width, int height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

Canvas::Canvas(Canvas&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      pixels_(std::move(other.pixels_)) {
  other.pixels_.clear();
}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
  }
  return *this;
}

bool inside_rounded_rect(int x, int y, int w, int h, int r, int px, int py) {
  const long long dx = corner_distance(x, w, r, px);
  const long long dy = corner_distance(y, h, r, py);
  return dx * dx + dy * dy <= static_cast<long long>(r) * r;
}

ColumnSpan rounded_row(int x, int y, int w, int h, int r, int py) {
  const long long radius_squared = static_cast<long long>(r) * r;
  const long long dy = corner_distance(y, h, r, py);
  if (dy * dy > radius_squared) return {0, 0};
  const long long reach = isqrt(radius_squared - dy * dy);
  // Left of x + r the left corner decides; from there on the right corner's rule holds.
  const long long first = static_cast<long long>(x) + r - reach;
  const long long last =
      std::max(static_cast<long long>(x) + r - 1, static_cast<long long>(x) + w - r - 1 + reach);
  const long long begin = std::max(first, static_cast<long long>(x));
  const long long end = std::min(last + 1, static_cast<long long>(x) + w);
  if (begin >= end) return {0, 0};
  return {static_cast<int>(std::clamp<long long>(begin, INT_MIN, INT_MAX)),
          static_cast<int>(std::clamp<long long>(end, INT_MIN, INT_MAX))};
}

void clear(Canvas& canvas, Color color) {
  fill_pixels(canvas.data(), static_cast<std::size_t>(canvas.width()) * canvas.height(), color);
}

void clear_outside(Canvas& canvas, Color color, const std::vector<Area>& covered) {
  const long long width = canvas.width();
  for (int py = 0; py < canvas.height(); ++py) {
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    const auto area = std::find_if(covered.begin(), covered.end(), [py](const Area& a) {
      return a.width > 0 && a.top <= py && py - a.top < a.height;
    });
    if (area == covered.end()) {
      fill_pixels(row, static_cast<std::size_t>(width), color);
      continue;
    }
    const long long begin = std::clamp(area->left, 0LL, width);
    const long long end = std::clamp(area->left + area->width, begin, width);
    fill_pixels(row, static_cast<std::size_t>(begin), color);
    fill_pixels(row + end, static_cast<std::size_t>(width - end), color);
  }
}

void fill_rect(Canvas& canvas, int x, int y, int w, int h, Color color) {
  const Span rows = clip(y, h, canvas.height());
  const Span columns = clip(x, w, canvas.width());
  if (columns.begin >= columns.end) return;
  for (int py = rows.begin; py < rows.end; ++py) {
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * canvas.width();
    fill_pixels(row + columns.begin, static_cast<std::size_t>(columns.end - columns.begin), color);
  }
}

void fill_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r, Color color) {
  for_each_rounded_span(canvas, x, y, w, h, r, [color](std::uint32_t* begin, std::uint32_t* end) {
    fill_pixels(begin, static_cast<std::size_t>(end - begin), color);
  });
}

namespace {

// Each channel of `count` pixels becomes floor(c * 2 / 15), alpha opaque. Working byte by byte
// with a 16-bit multiply-high keeps the loop vectorisable on x86 and NEON alike; alpha is
// restored afterwards, a block at a time while the block is still in the cache. On a desktop with
// AVX2 the same loop runs twice as wide (the simulator darkens behind every dialog too). Not under
// ThreadSanitizer: the clone resolver runs before its runtime is ready and the program crashes.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(ZENTOMI_TSAN)
__attribute__((target_clones("avx2", "default")))
#endif
void darken_pixels(std::uint32_t* first, std::size_t count) {
  constexpr std::size_t BLOCK = 1024;
  for (std::size_t start = 0; start < count; start += BLOCK) {
    const std::size_t n = std::min(BLOCK, count - start);
    auto* bytes = reinterpret_cast<std::uint8_t*>(first + start);
    // (c * 8740) >> 16 equals floor(c * 2 / 15) for every c in 0..255 (checked by the tests).
    for (std::size_t i = 0; i < n * 4; ++i)
      bytes[i] = static_cast<std::uint8_t>((static_cast<std::uint32_t>(bytes[i]) * 8740u) >> 16);
    for (std::size_t i = 0; i < n; ++i)
      first[start + i] |= 0xFF000000u;
  }
}

}  // namespace

void darken_screen(Canvas& canvas) {
  darken_band(canvas, 0, canvas.height());
}

void darken_screen_around(Canvas& canvas, int x, int y, int w, int h) {
  const Span rows = clip(y, h, canvas.height());
  const Span columns = clip(x, w, canvas.width());
  if (rows.begin >= rows.end || columns.begin >= columns.end) {
    darken_screen(canvas);
    return;
  }
  darken_band(canvas, 0, rows.begin);
  const auto width = static_cast<std::size_t>(canvas.width());
  for (int py = rows.begin; py < rows.end; ++py) {
    std::uint32_t* row = canvas.data() + static_cast<std::size_t>(py) * width;
    darken_pixels(row, static_cast<std::size_t>(columns.begin));
    darken_pixels(row + columns.end, width - static_cast<std::size_t>(columns.end));
  }
  darken_band(canvas, rows.end, canvas.height());
}

void darken_band(Canvas& canvas, int first_row, int end_row) {
  const int begin = std::max(first_row, 0);
  const int end = std::min(end_row, canvas.height());
  if (begin >= end) return;
  // Whole rows are one contiguous run.
  const auto width = static_cast<std::size_t>(canvas.width());
  darken_pixels(canvas.data() + static_cast<std::size_t>(begin) * width,
                static_cast<std::size_t>(end - begin) * width);
}

void darken_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r) {
  for_each_rounded_span(canvas, x, y, w, h, r, [](std::uint32_t* begin, std::uint32_t* end) {
    for (std::uint32_t* pixel = begin; pixel != end; ++pixel)
      *pixel = darken_pixel_badge(*pixel);
  });
}

void blend_pixel(Canvas& canvas, int x, int y, std::uint8_t red, std::uint8_t green,
                 std::uint8_t blue, std::uint8_t alpha) {
  if (alpha == 0 || !canvas.contains(x, y)) return;
  std::uint32_t& pixel = canvas.data()[static_cast<std::size_t>(y) * canvas.width() + x];
  pixel = blend_color(pixel, red, green, blue, alpha);
}

}  // namespace zentomi
