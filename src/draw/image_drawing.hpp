#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "draw/canvas.hpp"
#include "model/image.hpp"

namespace zentomi {

// The reader's zoom levels 0 to 3: the factor applied to the fitted page and its label.
inline constexpr std::array<float, 4> ZOOM_FACTORS{1.0f, 1.25f, 1.5f, 2.0f};
inline constexpr std::array<std::string_view, 4> ZOOM_LABELS{"100% (Fit)", "125%", "150%", "200%"};
// However small the fitted page, it is never drawn smaller than this.
inline constexpr float MIN_PAGE_SCALE = 0.05f;

// Fills the rounded box with the centre of the image, scaled to cover it by nearest-neighbour
// sampling and blended by the image's own alpha. Pixels outside the rounded shape are never
// written.
void draw_cover(Canvas& canvas, const RgbaImage& image, int x, int y, int w, int h, int radius);
// The same pixels, with the scaled cover kept for the frames that follow: a cover drawn again at
// the same size is copied row by row instead of sampled again. Main thread only.
void draw_cover(Canvas& canvas, const SharedImage& image, int x, int y, int w, int h, int radius);

// Where draw_page puts a page before the pan: its scale, its drawn size (the scale times the
// image size, truncated) and the top-left corner that centres it. All zero for an empty image or
// canvas.
struct PagePlacement {
  float scale = 0.0f;
  long long width = 0;
  long long height = 0;
  long long left = 0;
  long long top = 0;
};
PagePlacement place_page(int canvas_width, int canvas_height, const RgbaImage& image,
                         std::size_t zoom_level);

// Draws the page fitted to the canvas, multiplied by the zoom factor, centred and shifted by the
// pan offset; only the part on the canvas is visited.
void draw_page(Canvas& canvas, const RgbaImage& image, std::size_t zoom_level, int pan_x,
               int pan_y);

// Draws the image scaled by `scale` with its top-left corner at (left, top), sampled as
// draw_page samples; only the part on the canvas is visited.
void draw_scaled_page(Canvas& canvas, const RgbaImage& image, float scale, long long left,
                      long long top);

// What draw_scaled_page with these arguments covers whole: nothing unless the image is opaque.
Area covered_area(const RgbaImage& image, float scale, long long left, long long top);
// The same for draw_page.
Area covered_area(const Canvas& canvas, const RgbaImage& image, std::size_t zoom_level, int pan_x,
                  int pan_y);

// The rows of the (at most two) pages last drawn, as drawn, for the frames that follow: scrolling
// moves a page by a few rows a frame, and picking again the pixels of the rows still in view is
// work that gives what it gave before. A row kept is copied instead. Holds no page alive, and at
// most one screen's rows per page.
class DrawnPages {
 public:
  void forget();

 private:
  struct Kept {
    std::weak_ptr<const RgbaImage> image;
    float scale = 0.0f;
    long long left = 0;
    long long first_column = 0;
    long long end_column = 0;
    int canvas_width = 0;
    int canvas_height = 0;
    std::vector<std::uint32_t> pixels;  // canvas_height rows of the drawn columns
    std::vector<long long> rows;        // which row of the drawn page each holds; -1 none
    std::uint64_t used = 0;
  };
  Kept& kept_for(const SharedImage& image, float scale, long long left, long long first_column,
                 long long end_column, const Canvas& canvas);

  std::array<Kept, 2> kept_;
  std::uint64_t draws_ = 0;

  friend void draw_scaled_page(Canvas&, const SharedImage&, float, long long, long long,
                               DrawnPages&);
};

// The same pixels as the functions above, the rows of an opaque page kept in `kept`.
void draw_scaled_page(Canvas& canvas, const SharedImage& image, float scale, long long left,
                      long long top, DrawnPages& kept);
void draw_page(Canvas& canvas, const SharedImage& image, std::size_t zoom_level, int pan_x,
               int pan_y, DrawnPages& kept);

}  // namespace zentomi
