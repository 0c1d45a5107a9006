#pragma once

// Writes JPEG files in memory for tests and benchmarks that need images no fixture holds (CMYK,
// full-size pages). Header-only so the benchmarks can use it without the test support library.

#include <algorithm>
#include <array>
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

// A progressive file with its last scan repeated until it holds `scans` scans in all.
inline std::vector<std::uint8_t> with_scans(const std::vector<std::uint8_t>& progressive,
                                            int scans) {
  const std::array<std::uint8_t, 2> start_of_scan{0xFF, 0xDA};
  int present = 0;
  for (auto at = progressive.begin();
       (at = std::search(at, progressive.end(), start_of_scan.begin(), start_of_scan.end())) !=
       progressive.end();
       ++at)
    ++present;
  const auto last_scan = std::find_end(progressive.begin(), progressive.end(),
                                       start_of_scan.begin(), start_of_scan.end());
  const auto end_marker = progressive.end() - 2;
  std::vector<std::uint8_t> result(progressive.begin(), end_marker);
  for (int copy = present; copy < scans; ++copy)
    result.insert(result.end(), last_scan, end_marker);
  result.insert(result.end(), end_marker, progressive.end());
  return result;
}

}  // namespace zentomi::testing
