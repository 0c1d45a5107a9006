#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zentomi::testing {

// An opaque picture as the screenshots hold it: three bytes per pixel, rows top to bottom.
struct RgbImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;

  std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const;  // 0xRRGGBB
};

// 0xAARRGGBB pixels, row after row, as a canvas holds them; alpha is dropped.
RgbImage rgb_from_argb(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height);

std::optional<RgbImage> read_png(const std::filesystem::path& path);
// Creates the missing folders; throws when the file cannot be written.
void write_png(const std::filesystem::path& path, const RgbImage& image);

// Compares a frame pixel for pixel with its reference tests/golden/NAME.png (NAME may hold
// folders). On a difference the first differing pixel is reported and the frame is written to
// BUILD/golden-actual/NAME.actual.png, never into the source tree. A missing reference fails.
// With ZENTOMI_UPDATE_GOLDEN=1 (tools/update-golden.sh) the frame becomes the reference instead.
::testing::AssertionResult matches_golden(const RgbImage& actual, const std::string& name);

}  // namespace zentomi::testing
