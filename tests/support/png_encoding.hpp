#pragma once

// Writes PNG files in memory for tests and benchmarks that need images no fixture holds.
// Header-only so the benchmarks can use it without the test support library.

#include <png.h>

#include <cstdint>
#include <vector>

namespace zentomi::testing {

// `rgba` holds width * height pixels of red, green, blue, alpha bytes, rows top to bottom.
inline std::vector<std::uint8_t> encode_png(const std::vector<std::uint8_t>& rgba, int width,
                                            int height, bool interlaced = false) {
  using Bytes = std::vector<std::uint8_t>;

  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, std::size_t length) {
        auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_PAETH);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[static_cast<std::size_t>(y)] =
        const_cast<png_bytep>(&rgba[static_cast<std::size_t>(y) * width * 4]);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace zentomi::testing
