#pragma once

#include <cstdint>

#include "draw/image_drawing.hpp"
#include "model/image.hpp"

namespace zentomi::scroll_geometry {

// Up and Down move a page read by scrolling three quarters of the screen, so the last quarter
// stays in view as a landmark.
constexpr std::int32_t step(int screen_height) {
  return screen_height * 3 / 4;
}

// The widths a strip is read at, X and R2 going up, Y and L2 down: its own width (shrunk to the
// screen when wider), 1.25 and 1.5 times that, and the screen's width; never wider than the
// screen.
inline constexpr int WIDTH_LEVELS = 4;

// A page read by scrolling at width `level`, centred across, with its top at 0. The scale is
// that of the decoded pixels, so a page decoded smaller than its own size is drawn scaled up.
PagePlacement size(int screen_width, const RgbaImage& image, int level = 0);

// The same, placed: a page taller than the screen has its top `scroll` rows above it, `scroll`
// held between the first and the last screenful; a shorter one is centred vertically whatever
// `scroll` says.
PagePlacement place(int screen_width, int screen_height, const RgbaImage& image,
                    std::int32_t scroll, int level = 0);

// The scroll that shows the page's last row on the screen's last row; 0 for a page no taller than
// the screen.
std::int32_t bottom(int screen_width, int screen_height, const RgbaImage& image, int level = 0);

// The drawn width as a percentage of the page's own width, rounded.
int width_percent(int screen_width, const RgbaImage& image, int level);

// A strip so tall that, fitted to the screen, it is narrower than a quarter of it: the page
// scroll reading is for.
bool is_tall_strip(int screen_width, int screen_height, const RgbaImage& image);

}  // namespace zentomi::scroll_geometry
