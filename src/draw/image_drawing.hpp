#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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

}  // namespace zentomi
