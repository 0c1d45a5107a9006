#include "support/golden.hpp"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "support/files.hpp"

namespace zentomi::testing {

std::uint32_t RgbImage::pixel(std::uint32_t x, std::uint32_t y) const {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
}

RgbImage rgb_from_argb(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height) {
  RgbImage image{width, height, {}};
  const std::size_t count = static_cast<std::size_t>(width) * height;
  image.rgb.reserve(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    image.rgb.push_back(static_cast<std::uint8_t>(pixels[i] >> 16));
    image.rgb.push_back(static_cast<std::uint8_t>(pixels[i] >> 8));
    image.rgb.push_back(static_cast<std::uint8_t>(pixels[i]));
  }
  return image;
}

std::optional<RgbImage> read_png(const std::filesystem::path& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  RgbImage image{png.width, png.height, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(png))};
  if (png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) == 0) {
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

void write_png(const std::filesystem::path& path, const RgbImage& image) {
  std::filesystem::create_directories(path.parent_path());
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) == 0) {
    const std::string message = png.message;
    png_image_free(&png);
    throw std::runtime_error("cannot write " + path.string() + ": " + message);
  }
}

namespace {

std::string hex_colour(std::uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
  return text;
}

bool updating_references() {
  const char* update = std::getenv("ZENTOMI_UPDATE_GOLDEN");
  return update != nullptr && std::string_view(update) == "1";
}

}  // namespace

::testing::AssertionResult matches_golden(const RgbImage& actual, const std::string& name) {
  const std::filesystem::path reference = source_dir() / "tests/golden" / (name + ".png");
  if (updating_references()) {
    write_png(reference, actual);
    return ::testing::AssertionSuccess() << "wrote " << reference.string();
  }
  const std::filesystem::path written = binary_dir() / "golden-actual" / (name + ".actual.png");
  const std::optional<RgbImage> expected = read_png(reference);
  if (!expected) {
    write_png(written, actual);
    return ::testing::AssertionFailure()
           << "no readable reference " << reference.string() << "; the frame is at "
           << written.string() << " (a new frame that looks right: tools/update-golden.sh)";
  }
  std::string difference;
  if (expected->width != actual.width || expected->height != actual.height) {
    difference = "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
                 ", expected " + std::to_string(expected->width) + "x" +
                 std::to_string(expected->height);
  } else if (expected->rgb != actual.rgb) {
    std::size_t differing = 0;
    for (std::uint32_t y = 0; y < actual.height; ++y) {
      for (std::uint32_t x = 0; x < actual.width; ++x) {
        if (expected->pixel(x, y) == actual.pixel(x, y)) continue;
        if (differing++ == 0) {
          difference = "first differing pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                       "): expected " + hex_colour(expected->pixel(x, y)) + ", actual " +
                       hex_colour(actual.pixel(x, y));
        }
      }
    }
    difference += "; " + std::to_string(differing) + " pixels differ";
  } else {
    std::error_code ignored;  // a frame left by an earlier failure is stale now
    std::filesystem::remove(written, ignored);
    return ::testing::AssertionSuccess();
  }
  write_png(written, actual);
  return ::testing::AssertionFailure()
         << name << ": " << difference << "\n  reference " << reference.string() << "\n  actual    "
         << written.string()
         << "\n  (a reviewed change meant to alter this frame: tools/update-golden.sh)";
}

}  // namespace zentomi::testing
