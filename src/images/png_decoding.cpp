// PNG through libpng's simplified API, which turns every colour type and depth into RGBA8.
#include <png.h>

#include "images/image_codecs.hpp"

namespace zentomi::codecs {
namespace {

// Releases libpng's reading state on every path out.
class ImageReader {
 public:
  ImageReader() { image_.version = PNG_IMAGE_VERSION; }
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;
  ~ImageReader() { png_image_free(&image_); }
  png_image& image() { return image_; }

 private:
  png_image image_{};
};

std::unexpected<std::string> failure(const png_image& image) {
  return std::unexpected(std::string("Format error decoding Png: ") + image.message);
}

}  // namespace

std::expected<RgbaImage, std::string> decode_png(std::span<const std::uint8_t> data) {
  ImageReader reader;
  png_image& image = reader.image();
  if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0)
    return failure(image);
  if (auto refusal = refuse_size(image.width, image.height)) return std::unexpected(*refusal);

  image.format = PNG_FORMAT_RGBA;
  // 16-bit samples are reduced as stored values, the way 8-bit ones are read, not treated as
  // linear light.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  RgbaImage result;
  result.width = image.width;
  result.height = image.height;
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr) == 0)
    return failure(image);
  return result;
}

}  // namespace zentomi::codecs
