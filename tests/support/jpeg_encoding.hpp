#pragma once

// Writes JPEG files in memory for tests and benchmarks that need images no fixture holds (CMYK,
// full-size pages). Header-only so the benchmarks can use it without the test support library.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// After <cstdio>, which jpeglib.h needs.
#include <jpeglib.h>

namespace zentomi::testing {

// `samples` holds width * height * components bytes in `colour_space` order, rows top to bottom.
inline std::vector<std::uint8_t> encode_jpeg(const std::vector<std::uint8_t>& samples, int width,
                                             int height, int components, J_COLOR_SPACE colour_space,
                                             int quality, bool progressive = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = colour_space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * components;
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPLE*>(&samples[info.next_scanline * stride]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

}  // namespace zentomi::testing
