#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>

#include "draw/canvas.hpp"
#include "draw/font.hpp"
#include "screens/dispatch.hpp"
#include "support/no_services.hpp"

// Pages whose every pixel tells where it came from, and the reader's frame to read them back in.
namespace zentomi::testing {

// Red holds a tag, the page's number or, without one, the pixel's column / 8; green and blue the
// row (high and low byte).
inline SharedImage coded_page(std::uint32_t width, std::uint32_t height,
                              std::optional<std::uint8_t> number = std::nullopt) {
  auto image = std::make_shared<RgbaImage>();
  image->width = width;
  image->height = height;
  image->pixels.resize(std::size_t{width} * height * 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* pixel = &image->pixels[(std::size_t{y} * width + x) * 4];
      // The canvas order: blue, green, red, alpha.
      pixel[0] = static_cast<std::uint8_t>(y & 0xFF);
      pixel[1] = static_cast<std::uint8_t>(y >> 8);
      pixel[2] = number ? *number : static_cast<std::uint8_t>(x / 8);
      pixel[3] = 255;
    }
  }
  return image;
}

struct PixelSource {
  std::uint32_t tag;
  std::uint32_t row;
  bool operator==(const PixelSource&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const PixelSource& source) {
  return out << "tag " << source.tag << " row " << source.row;
}

inline PixelSource source_at(const Canvas& canvas, int x, int y) {
  const Color pixel = canvas.pixel(x, y);
  return {pixel >> 16 & 0xFF, (pixel >> 8 & 0xFF) << 8 | (pixel & 0xFF)};
}

// The frame the reader draws for `state`.
inline Canvas frame_of(const AppState& state) {
  Canvas canvas(state.screen_width, state.screen_height);
  Font font = Font::load_embedded().value();
  Renderer renderer{canvas, font};
  NoServices services;
  draw_screen(renderer, state, services);
  return canvas;
}

}  // namespace zentomi::testing
