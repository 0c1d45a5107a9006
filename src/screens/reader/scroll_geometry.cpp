#include "screens/reader/scroll_geometry.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace zentomi::scroll_geometry {
namespace {

constexpr std::array<float, WIDTH_LEVELS - 1> WIDTH_FACTORS{1.0f, 1.25f, 1.5f};

// The drawn width over the own width. Level 0 is the same 32-bit float arithmetic as the fitted
// page, so both sample the same source pixels.
float own_scale(int screen_width, const RgbaImage& image, int level) {
  const auto own = static_cast<float>(image.own_width());
  const float widest = static_cast<float>(screen_width) / own;
  if (level >= WIDTH_LEVELS - 1) return widest;
  const float base = std::min(1.0f, widest);
  if (level <= 0) return base;
  return std::min(base * WIDTH_FACTORS[static_cast<std::size_t>(level)], widest);
}

long long last_scroll(const PagePlacement& placement, int screen_height) {
  return std::max(placement.height - screen_height, 0LL);
}

}  // namespace

PagePlacement size(int screen_width, const RgbaImage& image, int level) {
  PagePlacement placement;
  if (screen_width <= 0 || image.width == 0 || image.height == 0) return placement;
  const auto iw = static_cast<float>(image.width);
  placement.scale = own_scale(screen_width, image, level);
  // Decoded at its own width the factor is exactly 1, leaving the scale as it was.
  if (image.own_width() != image.width)
    placement.scale *= static_cast<float>(image.own_width()) / iw;
  placement.width = static_cast<long long>(placement.scale * iw);
  placement.height = static_cast<long long>(placement.scale * static_cast<float>(image.height));
  placement.left = (screen_width - placement.width) / 2;
  return placement;
}

PagePlacement place(int screen_width, int screen_height, const RgbaImage& image,
                    std::int32_t scroll, int level) {
  PagePlacement placement = size(screen_width, image, level);
  placement.top = placement.height <= screen_height
                      ? (screen_height - placement.height) / 2
                      : -std::clamp<long long>(scroll, 0, last_scroll(placement, screen_height));
  return placement;
}

std::int32_t bottom(int screen_width, int screen_height, const RgbaImage& image, int level) {
  return static_cast<std::int32_t>(last_scroll(size(screen_width, image, level), screen_height));
}

int width_percent(int screen_width, const RgbaImage& image, int level) {
  if (image.width == 0 || screen_width <= 0) return 100;
  return static_cast<int>(std::lround(own_scale(screen_width, image, level) * 100.0f));
}

bool is_tall_strip(int screen_width, int screen_height, const RgbaImage& image) {
  const PagePlacement fitted = place_page(screen_width, screen_height, image, 0);
  return fitted.width > 0 && fitted.width * 4 < screen_width;
}

}  // namespace zentomi::scroll_geometry
