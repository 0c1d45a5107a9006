// Scaling happens while drawing, every frame, straight from the full-size decoded image, whose
// pixels are already in the canvas's order. The source column of every canvas column is worked
// out once per call and the source row once per canvas row, so the inner loop of an opaque image
// only looks up and stores.
//
// The scale factors are 32-bit floats and the sampling positions are truncated, so which source
// pixel lands where depends on float rounding; the library is built without fused multiply-add
// so that every machine picks the same pixels.
#include "draw/image_drawing.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
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

// The pixel at `source`, already in the canvas's order, over the canvas pixel. Most pages and
// covers are opaque, which takes the first branch: a plain copy.
void blend_source(std::uint32_t& destination, const std::uint8_t* source) {
  std::uint32_t word;  // 0xAARRGGBB
  std::memcpy(&word, source, sizeof word);
  const std::uint32_t alpha = word >> 24;
  if (alpha == 255) {
    destination = word;
  } else if (alpha != 0) {
    destination =
        blend_color(destination, word >> 16 & 0xFFu, word >> 8 & 0xFFu, word & 0xFFu, alpha);
  }
}

// Picks the pixels at `offsets` (bytes into `source`) into `row`: an opaque page's scaled copy.
// Four at a time, which halves the loop's own instructions per pixel.
void pick_pixels(std::uint32_t* row, const std::uint8_t* source, const std::uint32_t* offsets,
                 std::size_t count) {
  const auto pixel = [source](std::uint32_t offset) {
    std::uint32_t word;
    std::memcpy(&word, source + offset, sizeof word);
    return word;
  };
  std::size_t k = 0;
  for (; k + 4 <= count; k += 4) {
    const std::uint32_t a = pixel(offsets[k]);
    const std::uint32_t b = pixel(offsets[k + 1]);
    const std::uint32_t c = pixel(offsets[k + 2]);
    const std::uint32_t d = pixel(offsets[k + 3]);
    row[k] = a;
    row[k + 1] = b;
    row[k + 2] = c;
    row[k + 3] = d;
  }
  for (; k < count; ++k)
    row[k] = pixel(offsets[k]);
}

bool drawable(const RgbaImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= std::size_t{image.width} * image.height * 4;
}

}  // namespace

namespace {

// A cover sampled to the size of its box, as canvas pixels with the image's alpha kept.
struct ScaledCover {
  std::weak_ptr<const RgbaImage> source;  // never dereferenced: it only tells a live image
  const RgbaImage* address = nullptr;
  int width = 0;
  int height = 0;
  bool opaque = true;
  std::vector<std::uint32_t> pixels;
};

// The centre of the image scaled to cover w x h by nearest-neighbour sampling.
void scale_cover(const RgbaImage& image, int w, int h, ScaledCover& out) {
  out.width = w;
  out.height = h;
  out.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  const auto iw = static_cast<float>(image.width);
  const auto ih = static_cast<float>(image.height);
  const float scale = std::max(static_cast<float>(w) / iw, static_cast<float>(h) / ih);
  const float step = 1.0f / scale;
  const float crop_x = std::max((iw - static_cast<float>(w) / scale) * 0.5f, 0.0f);
  const float crop_y = std::max((ih - static_cast<float>(h) / scale) * 0.5f, 0.0f);
  std::vector<std::uint32_t>& offsets = column_offsets(static_cast<std::size_t>(w));
  for (int j = 0; j < w; ++j)
    offsets[j] = sample_index(crop_x + step * static_cast<float>(j), image.width) * 4;
  const std::size_t source_stride = std::size_t{image.width} * 4;
  std::uint32_t all_alpha = 0xFF000000u;
  for (int i = 0; i < h; ++i) {
    const std::uint8_t* source =
        image.pixels.data() +
        sample_index(crop_y + step * static_cast<float>(i), image.height) * source_stride;
    std::uint32_t* row = out.pixels.data() + static_cast<std::size_t>(i) * w;
    for (int j = 0; j < w; ++j) {
      std::memcpy(&row[j], source + offsets[j], sizeof row[j]);
      all_alpha &= row[j];
    }
  }
  out.opaque = all_alpha >= 0xFF000000u;
}

// Copies the scaled cover into the rounded box at (x, y), blending pixels that are not opaque.
void blit_cover(Canvas& canvas, const ScaledCover& cover, int x, int y, int radius) {
  const Range rows = visible(y, cover.height, canvas.height());
  for (long long py = rows.begin; py < rows.end; ++py) {
    const ColumnSpan shape =
        rounded_row(x, y, cover.width, cover.height, radius, static_cast<int>(py));
    const int begin = std::max(shape.begin, 0);
    const int end = std::min(shape.end, canvas.width());
    if (begin >= end) continue;
    const std::uint32_t* source =
        cover.pixels.data() + static_cast<std::size_t>(py - y) * cover.width + (begin - x);
    std::uint32_t* row = canvas.data() + py * canvas.width() + begin;
    const auto count = static_cast<std::size_t>(end - begin);
    if (cover.opaque) {
      std::memcpy(row, source, count * sizeof *row);
      continue;
    }
    for (std::size_t k = 0; k < count; ++k) {
      const std::uint32_t alpha = source[k] >> 24;
      if (alpha != 0)
        row[k] = blend_color(row[k], source[k] >> 16 & 0xFFu, source[k] >> 8 & 0xFFu,
                             source[k] & 0xFFu, alpha);
    }
  }
}

// The covers of the last frames. Entries are few and small, so when one more would not fit the
// whole set is dropped, as the cover cache itself does.
class ScaledCovers {
 public:
  static constexpr std::size_t MAX_ENTRIES = 48;
  static constexpr std::size_t MAX_PIXELS = std::size_t{4} * 1024 * 1024;  // 16 MiB

  const ScaledCover& get(const SharedImage& image, int w, int h) {
    for (const ScaledCover& entry : entries_) {
      // A live image at the remembered address is the remembered image.
      if (entry.address == image.get() && entry.width == w && entry.height == h &&
          !entry.source.expired())
        return entry;
    }
    const std::size_t added = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (entries_.size() >= MAX_ENTRIES || pixels_ + added > MAX_PIXELS) {
      entries_.clear();
      pixels_ = 0;
    }
    ScaledCover& entry = entries_.emplace_back();
    entry.source = image;
    entry.address = image.get();
    scale_cover(*image, w, h, entry);
    pixels_ += added;
    return entry;
  }

 private:
  std::vector<ScaledCover> entries_;
  std::size_t pixels_ = 0;
};

bool drawable_box(const Canvas& canvas, int x, int y, int w, int h) {
  return w > 0 && h > 0 && !visible(y, h, canvas.height()).empty() &&
         !visible(x, w, canvas.width()).empty();
}

}  // namespace

void draw_cover(Canvas& canvas, const RgbaImage& image, int x, int y, int w, int h, int radius) {
  if (!drawable_box(canvas, x, y, w, h) || !drawable(image)) return;
  ScaledCover scaled;
  scale_cover(image, w, h, scaled);
  blit_cover(canvas, scaled, x, y, radius);
}

void draw_cover(Canvas& canvas, const SharedImage& image, int x, int y, int w, int h, int radius) {
  if (!image || !drawable_box(canvas, x, y, w, h) || !drawable(*image)) return;
  // A cover larger than the cache could hold is drawn without keeping it.
  if (static_cast<std::size_t>(w) * static_cast<std::size_t>(h) > ScaledCovers::MAX_PIXELS) {
    draw_cover(canvas, *image, x, y, w, h, radius);
    return;
  }
  thread_local ScaledCovers covers;
  blit_cover(canvas, covers.get(image, w, h), x, y, radius);
}

PagePlacement place_page(int canvas_width, int canvas_height, const RgbaImage& image,
                         std::size_t zoom_level) {
  if (canvas_width == 0 || canvas_height == 0 || image.width == 0 || image.height == 0) return {};
  const auto iw = static_cast<float>(image.width);
  const auto ih = static_cast<float>(image.height);
  const float zoom = ZOOM_FACTORS[std::min(zoom_level, ZOOM_FACTORS.size() - 1)];
  const float fit =
      std::min(static_cast<float>(canvas_width) / iw, static_cast<float>(canvas_height) / ih);
  PagePlacement placement;
  placement.scale = std::max(fit * zoom, MIN_PAGE_SCALE);
  placement.width = static_cast<long long>(placement.scale * iw);
  placement.height = static_cast<long long>(placement.scale * ih);
  // Integer halving truncates toward zero, also for a page larger than the screen.
  placement.left = (canvas_width - placement.width) / 2;
  placement.top = (canvas_height - placement.height) / 2;
  return placement;
}

void draw_page(Canvas& canvas, const RgbaImage& image, std::size_t zoom_level, int pan_x,
               int pan_y) {
  const PagePlacement placement = place_page(canvas.width(), canvas.height(), image, zoom_level);
  draw_scaled_page(canvas, image, placement.scale, pan_x + placement.left, pan_y + placement.top);
}

namespace {

// One row of the drawn page kept for later frames: where its pixels lie, or nowhere.
struct RowStore {
  std::uint32_t* pixels = nullptr;
  long long* row = nullptr;
};

// draw_scaled_page's work; with `store`, each row of an opaque page is taken from it when kept
// there and kept there once drawn.
template <typename Store>
void draw_scaled_rows(Canvas& canvas, const RgbaImage& image, float scale, long long left,
                      long long top, Store store) {
  const int width = canvas.width();
  const int height = canvas.height();
  if (width == 0 || height == 0 || !drawable(image) || !(scale > 0.0f)) return;

  const auto drawn_width = static_cast<long long>(scale * static_cast<float>(image.width));
  const auto drawn_height = static_cast<long long>(scale * static_cast<float>(image.height));
  const Range rows = visible(top, drawn_height, height);
  const Range columns = visible(left, drawn_width, width);
  if (rows.empty() || columns.empty()) return;

  const float step = 1.0f / scale;
  const auto count = static_cast<std::size_t>(columns.end - columns.begin);
  bool offsets_ready = false;
  const auto offsets = [&]() -> const std::vector<std::uint32_t>& {
    std::vector<std::uint32_t>& result = column_offsets(count);
    if (offsets_ready) return result;
    for (long long px = columns.begin; px < columns.end; ++px) {
      const auto j = static_cast<float>(px - left);
      result[px - columns.begin] = sample_index(j * step, image.width) * 4;
    }
    offsets_ready = true;
    return result;
  };
  const std::size_t source_stride = std::size_t{image.width} * 4;
  // Zoomed in, neighbouring rows sample the same source row: once a row has been drawn from
  // opaque pixels only, the rows repeating it are copies of it.
  const std::uint8_t* previous_source = nullptr;
  for (long long py = rows.begin; py < rows.end; ++py) {
    std::uint32_t* row = canvas.data() + py * width + columns.begin;
    const RowStore kept = image.opaque ? store(py - top) : RowStore{};
    if (kept.pixels != nullptr && *kept.row == py - top) {
      copy_pixels(row, kept.pixels, count);
      continue;
    }
    const auto i = static_cast<float>(py - top);
    const std::uint8_t* source =
        image.pixels.data() + sample_index(i * step, image.height) * source_stride;
    if (image.opaque) {
      if (source == previous_source) {
        std::memcpy(row, row - width, count * sizeof *row);
      } else {
        previous_source = source;
        // The pixels are the canvas's own: drawing is picking them.
        pick_pixels(row, source, offsets().data(), count);
      }
      if (kept.pixels != nullptr) {
        copy_pixels(kept.pixels, row, count);
        *kept.row = py - top;
      }
      continue;
    }
    const std::vector<std::uint32_t>& picked = offsets();
    for (std::size_t k = 0; k < count; ++k)
      blend_source(row[k], source + picked[k]);
  }
}

}  // namespace

void draw_scaled_page(Canvas& canvas, const RgbaImage& image, float scale, long long left,
                      long long top) {
  draw_scaled_rows(canvas, image, scale, left, top, [](long long) { return RowStore{}; });
}

Area covered_area(const RgbaImage& image, float scale, long long left, long long top) {
  if (!image.opaque || !drawable(image) || !(scale > 0.0f)) return {};
  return {left, top, static_cast<long long>(scale * static_cast<float>(image.width)),
          static_cast<long long>(scale * static_cast<float>(image.height))};
}

Area covered_area(const Canvas& canvas, const RgbaImage& image, std::size_t zoom_level, int pan_x,
                  int pan_y) {
  const PagePlacement placement = place_page(canvas.width(), canvas.height(), image, zoom_level);
  return covered_area(image, placement.scale, pan_x + placement.left, pan_y + placement.top);
}

void DrawnPages::forget() {
  kept_ = {};
}

DrawnPages::Kept& DrawnPages::kept_for(const SharedImage& image, float scale, long long left,
                                       long long first_column, long long end_column,
                                       const Canvas& canvas) {
  const auto same = [&](const Kept& kept) {
    return !kept.image.owner_before(image) && !image.owner_before(kept.image) &&
           kept.scale == scale && kept.left == left && kept.first_column == first_column &&
           kept.end_column == end_column && kept.canvas_width == canvas.width() &&
           kept.canvas_height == canvas.height();
  };
  auto found = std::find_if(kept_.begin(), kept_.end(), same);
  if (found == kept_.end()) {
    // The page drawn longest ago makes room.
    found = std::min_element(kept_.begin(), kept_.end(),
                             [](const Kept& a, const Kept& b) { return a.used < b.used; });
    found->image = image;
    found->scale = scale;
    found->left = left;
    found->first_column = first_column;
    found->end_column = end_column;
    found->canvas_width = canvas.width();
    found->canvas_height = canvas.height();
    found->pixels.resize(static_cast<std::size_t>(end_column - first_column) *
                         static_cast<std::size_t>(canvas.height()));
    found->rows.assign(static_cast<std::size_t>(canvas.height()), -1);
  }
  found->used = ++draws_;
  return *found;
}

void draw_scaled_page(Canvas& canvas, const SharedImage& image, float scale, long long left,
                      long long top, DrawnPages& kept) {
  if (!image) return;
  const auto drawn_width = static_cast<long long>(scale * static_cast<float>(image->width));
  const Range columns = visible(left, drawn_width, canvas.width());
  if (!image->opaque || columns.empty() || canvas.height() == 0 || !(scale > 0.0f)) {
    draw_scaled_page(canvas, *image, scale, left, top);
    return;
  }
  DrawnPages::Kept& rows = kept.kept_for(image, scale, left, columns.begin, columns.end, canvas);
  const auto count = static_cast<std::size_t>(columns.end - columns.begin);
  const auto slots = static_cast<long long>(rows.rows.size());
  // Row r of the drawn page has slot r modulo the screen's height: the rows of one screen never
  // share one.
  draw_scaled_rows(canvas, *image, scale, left, top, [&rows, count, slots](long long row) {
    const auto slot = static_cast<std::size_t>(row % slots);
    return RowStore{rows.pixels.data() + slot * count, rows.rows.data() + slot};
  });
}

void draw_page(Canvas& canvas, const SharedImage& image, std::size_t zoom_level, int pan_x,
               int pan_y, DrawnPages& kept) {
  if (!image) return;
  const PagePlacement placement = place_page(canvas.width(), canvas.height(), *image, zoom_level);
  draw_scaled_page(canvas, image, placement.scale, pan_x + placement.left, pan_y + placement.top,
                   kept);
}

}  // namespace zentomi
