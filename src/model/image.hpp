#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace zentomi {

// A decoded image: width × height pixels of 8-bit red, green, blue, alpha, rows top to bottom.
struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Decoded images are immutable once made, so covers and pages are shared rather than copied
// every frame.
using SharedImage = std::shared_ptr<const RgbaImage>;

}  // namespace zentomi
