#pragma once

#include <cstdint>
#include <vector>

#include "draw/palette.hpp"

namespace zentomi {

// The back buffer as a drawing surface: width × height pixels 0xAARRGGBB, row-major, no gap
// between rows. Every stored pixel is opaque. Everything drawn is clipped pixel by pixel.
class Canvas {
 public:
  Canvas(int width, int height, Color fill = palette::INITIAL_FILL);
  Canvas(const Canvas&) = default;
  Canvas& operator=(const Canvas&) = default;
  // A moved-from canvas is 0 × 0: its size never outlives its pixels.
  Canvas(Canvas&& other) noexcept;
  Canvas& operator=(Canvas&& other) noexcept;
  ~Canvas() = default;

  int width() const { return width_; }
  int height() const { return height_; }
  std::uint32_t* data() { return pixels_.data(); }
  const std::uint32_t* data() const { return pixels_.data(); }
  Color pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
};

// Whether (px, py), a pixel of the rectangle, lies inside its rounded shape: the outermost row
// and column are at distance r from the corner centre, so the corner pixel itself is outside.
bool inside_rounded_rect(int x, int y, int w, int h, int r, int px, int py);

// Columns [begin, end) of one row; empty when begin >= end.
struct ColumnSpan {
  int begin = 0;
  int end = 0;
};
// The columns of row py (a row of the rectangle) that belong to the rounded shape, before
// clipping to the canvas. Equal, pixel for pixel, to inside_rounded_rect, so drawing loops test
// the shape once per row instead of once per pixel.
ColumnSpan rounded_row(int x, int y, int w, int h, int r, int py);

void clear(Canvas& canvas, Color color);
// A rectangle of pixels that may reach past the canvas.
struct Area {
  long long left = 0;
  long long top = 0;
  long long width = 0;
  long long height = 0;
};
// clear() everywhere but in the areas, which lie one under another and each of which something
// opaque is about to cover whole.
void clear_outside(Canvas& canvas, Color color, const std::vector<Area>& covered);
// Copies `count` pixels between buffers that do not overlap.
void copy_pixels(std::uint32_t* destination, const std::uint32_t* source, std::size_t count);
void fill_rect(Canvas& canvas, int x, int y, int w, int h, Color color);
void fill_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r, Color color);
// Behind dialogs and the reader's bars: each channel becomes floor(c * 2 / 15).
void darken_screen(Canvas& canvas);
// The same everywhere but the rectangle, which is left as it is (something opaque covers it).
void darken_screen_around(Canvas& canvas, int x, int y, int w, int h);
void darken_band(Canvas& canvas, int first_row, int end_row);
// Under badges drawn over covers: each channel becomes floor(c / 5).
void darken_rounded_rect(Canvas& canvas, int x, int y, int w, int h, int r);
// Source over destination with alpha a, dividing by 255 exactly.
void blend_pixel(Canvas& canvas, int x, int y, std::uint8_t red, std::uint8_t green,
                 std::uint8_t blue, std::uint8_t alpha);

// The blend rule on one packed pixel, shared by text and image drawing: each channel becomes
// (source * alpha + destination * (255 - alpha)) / 255, rounded down. Red and blue are worked
// out side by side in the two halves of one word (no sum reaches 65,536), and v / 255 is
// (v + 1 + (v >> 8)) >> 8, exact for every v up to 255 * 255 (checked by the tests).
inline std::uint32_t blend_color(std::uint32_t destination, std::uint32_t red, std::uint32_t green,
                                 std::uint32_t blue, std::uint32_t alpha) {
  if (alpha == 255) return 0xFF000000u | (red << 16) | (green << 8) | blue;
  const std::uint32_t inverse = 255 - alpha;
  std::uint32_t red_blue = ((red << 16) | blue) * alpha + (destination & 0x00FF00FFu) * inverse;
  std::uint32_t g = green * alpha + ((destination >> 8) & 0xFF) * inverse;
  red_blue = ((red_blue + 0x00010001u + ((red_blue >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  g = (g + 1 + (g >> 8)) >> 8;
  return 0xFF000000u | red_blue | (g << 8);
}

}  // namespace zentomi
