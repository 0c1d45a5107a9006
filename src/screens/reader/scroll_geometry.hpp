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

// A page read by scrolling: at its own size, shrunk to the screen width when wider, centred
// across. A page taller than the screen has its top `scroll` rows above it, `scroll` held between
// the first and the last screenful; a shorter one is centred vertically whatever `scroll` says.
PagePlacement place(int screen_width, int screen_height, const RgbaImage& image,
                    std::int32_t scroll);

// The scroll that shows the page's last row on the screen's last row; 0 for a page no taller than
// the screen.
std::int32_t bottom(int screen_width, int screen_height, const RgbaImage& image);

// A strip so tall that, fitted to the screen, it is narrower than a quarter of it: the page
// scroll reading is for.
bool is_tall_strip(int screen_width, int screen_height, const RgbaImage& image);

}  // namespace zentomi::scroll_geometry
