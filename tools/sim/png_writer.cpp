#include "png_writer.hpp"

#include <png.h>

#include <vector>

namespace zentomi::sim {

std::expected<void, std::string> write_png(const Canvas& canvas, const std::string& path) {
  const std::size_t pixel_count = static_cast<std::size_t>(canvas.width()) * canvas.height();
  std::vector<png_byte> rgb(pixel_count * 3);
  const std::uint32_t* pixels = canvas.data();
  for (std::size_t i = 0; i < pixel_count; ++i) {
    rgb[i * 3] = static_cast<png_byte>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<png_byte>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<png_byte>(pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(canvas.width());
  image.height = static_cast<png_uint_32>(canvas.height());
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
    std::string message = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return std::unexpected(message);
  }
  return {};
}

}  // namespace zentomi::sim
