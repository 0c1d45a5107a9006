// Scaling happens while drawing, every frame, straight from the full-size decoded image. The
// source column of every canvas column is worked out once per call and the source row once per
// canvas row, so the inner loop only looks up, blends and stores.
//
// The scale factors are 32-bit floats and the sampling positions are truncated, so which source
// pixel lands where depends on float rounding; the library is built without fused multiply-add
// so that every machine picks the same pixels.
#include "graphics/image_drawing.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zentomi {
namespace {

struct Range {
  long long begin;
  long long end;
  bool empty() const { return begin >= end; }
};

Range visible(long long start, long long length, int limit) {
  return {std::max(start, 0LL), std::min(start + length, static_cast<long long>(limit))};
}

// trunc(position), clamped to the last pixel; clamping first keeps the conversion in range.
std::uint32_t sample_index(float position, std::uint32_t size) {
  return static_cast<std::uint32_t>(std::min(position, static_cast<float>(size - 1)));
}

// Byte offsets into a source row, one per visible canvas column. Reused between calls: drawing
// runs on the main thread only and must not allocate every frame.
std::vector<std::uint32_t>& column_offsets(std::size_t count) {
  thread_local std::vector<std::uint32_t> offsets;
  offsets.resize(count);
  return offsets;
}

// The source bytes are red, green, blue, alpha; the canvas holds 0xAARRGGBB. Most pages and
// covers are opaque, which takes the cheap first branch.
void blend_source(std::uint32_t& destination, const std::uint8_t* source) {
  const std::uint32_t alpha = source[3];
  if (alpha == 255) {
    destination =
        0xFF000000u | std::uint32_t{source[0]} << 16 | std::uint32_t{source[1]} << 8 | source[2];
  } else if (alpha != 0) {
    destination = blend_color(destination, source[0], source[1], source[2], alpha);
  }
}

bool drawable(const RgbaImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= std::size_t{image.width} * image.height * 4;
}

}  // namespace

void draw_cover(Canvas& canvas, const RgbaImage& image, int x, int y, int w, int h, int radius) {
  if (w <= 0 || h <= 0 || !drawable(image)) return;
  const Range rows = visible(y, h, canvas.height());
  const Range columns = visible(x, w, canvas.width());
  if (rows.empty() || columns.empty()) return;

  const auto iw = static_cast<float>(image.width);
  const auto ih = static_cast<float>(image.height);
  const float scale = std::max(static_cast<float>(w) / iw, static_cast<float>(h) / ih);
  const float step = 1.0f / scale;
  const float crop_x = std::max((iw - static_cast<float>(w) / scale) * 0.5f, 0.0f);
  const float crop_y = std::max((ih - static_cast<float>(h) / scale) * 0.5f, 0.0f);

  std::vector<std::uint32_t>& offsets = column_offsets(columns.end - columns.begin);
  for (long long px = columns.begin; px < columns.end; ++px) {
    const auto j = static_cast<float>(px - x);
    offsets[px - columns.begin] = sample_index(crop_x + step * j, image.width) * 4;
  }
  const std::size_t source_stride = std::size_t{image.width} * 4;
  for (long long py = rows.begin; py < rows.end; ++py) {
    const ColumnSpan shape = rounded_row(x, y, w, h, radius, static_cast<int>(py));
    const int begin = std::max(shape.begin, 0);
    const int end = std::min(shape.end, canvas.width());
    if (begin >= end) continue;
    const auto i = static_cast<float>(py - y);
    const std::uint8_t* source =
        image.pixels.data() + sample_index(crop_y + step * i, image.height) * source_stride;
    std::uint32_t* row = canvas.data() + py * canvas.width();
    for (int px = begin; px < end; ++px)
      blend_source(row[px], source + offsets[px - columns.begin]);
  }
}

void draw_page(Canvas& canvas, const RgbaImage& image, std::size_t zoom_level, int pan_x,
               int pan_y) {
  const int width = canvas.width();
  const int height = canvas.height();
  if (width == 0 || height == 0 || !drawable(image)) return;

  const auto iw = static_cast<float>(image.width);
  const auto ih = static_cast<float>(image.height);
  const float zoom = ZOOM_FACTORS[std::min(zoom_level, ZOOM_FACTORS.size() - 1)];
  const float fit = std::min(static_cast<float>(width) / iw, static_cast<float>(height) / ih);
  const float scale = std::max(fit * zoom, MIN_PAGE_SCALE);
  const auto drawn_width = static_cast<long long>(scale * iw);
  const auto drawn_height = static_cast<long long>(scale * ih);
  // Integer halving truncates toward zero, also for a page larger than the screen.
  const long long left = pan_x + (width - drawn_width) / 2;
  const long long top = pan_y + (height - drawn_height) / 2;
  const Range rows = visible(top, drawn_height, height);
  const Range columns = visible(left, drawn_width, width);
  if (rows.empty() || columns.empty()) return;

  const float step = 1.0f / scale;
  std::vector<std::uint32_t>& offsets = column_offsets(columns.end - columns.begin);
  for (long long px = columns.begin; px < columns.end; ++px) {
    const auto j = static_cast<float>(px - left);
    offsets[px - columns.begin] = sample_index(j * step, image.width) * 4;
  }
  const std::size_t source_stride = std::size_t{image.width} * 4;
  for (long long py = rows.begin; py < rows.end; ++py) {
    const auto i = static_cast<float>(py - top);
    const std::uint8_t* source =
        image.pixels.data() + sample_index(i * step, image.height) * source_stride;
    std::uint32_t* row = canvas.data() + py * width;
    for (long long px = columns.begin; px < columns.end; ++px)
      blend_source(row[px], source + offsets[px - columns.begin]);
  }
}

}  // namespace zentomi
