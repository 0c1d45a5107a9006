#include "screens/reader/scroll_geometry.hpp"

#include <algorithm>

namespace zentomi::scroll_geometry {
namespace {

// The same 32-bit float arithmetic as the fitted page, so both sample the same source pixels.
PagePlacement sized(int screen_width, const RgbaImage& image) {
  PagePlacement placement;
  if (screen_width <= 0 || image.width == 0 || image.height == 0) return placement;
  const auto iw = static_cast<float>(image.width);
  placement.scale = std::min(1.0f, static_cast<float>(screen_width) / iw);
  placement.width = static_cast<long long>(placement.scale * iw);
  placement.height = static_cast<long long>(placement.scale * static_cast<float>(image.height));
  return placement;
}

long long last_scroll(const PagePlacement& placement, int screen_height) {
  return std::max(placement.height - screen_height, 0LL);
}

}  // namespace

PagePlacement place(int screen_width, int screen_height, const RgbaImage& image,
                    std::int32_t scroll) {
  PagePlacement placement = sized(screen_width, image);
  placement.left = (screen_width - placement.width) / 2;
  placement.top = placement.height <= screen_height
                      ? (screen_height - placement.height) / 2
                      : -std::clamp<long long>(scroll, 0, last_scroll(placement, screen_height));
  return placement;
}

std::int32_t bottom(int screen_width, int screen_height, const RgbaImage& image) {
  return static_cast<std::int32_t>(last_scroll(sized(screen_width, image), screen_height));
}

bool is_tall_strip(int screen_width, int screen_height, const RgbaImage& image) {
  const PagePlacement fitted = place_page(screen_width, screen_height, image, 0);
  return fitted.width > 0 && fitted.width * 4 < screen_width;
}

}  // namespace zentomi::scroll_geometry
