#pragma once

#include <cstdint>
#include <vector>

namespace zentomi {

// Shrinks a picture of four 8-bit channels (any order) as its rows arrive, so the whole picture
// never has to be held at its full size: each output pixel is the rounded mean of the source pixels
// of its box.
class RowShrinker {
 public:
  // `out` receives width x height pixels; the output may not be larger than the source.
  RowShrinker(std::uint32_t source_width, std::uint32_t source_height, std::uint32_t width,
              std::uint32_t height, std::uint8_t* out);

  // The next source row, top to bottom, source_width pixels.
  void add_row(const std::uint8_t* row);

 private:
  std::uint32_t row_end(std::uint32_t output_row) const;

  std::uint32_t source_height_;
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint8_t* out_;
  std::vector<std::uint32_t> column_begin_;  // width + 1 source columns
  std::vector<std::uint32_t> sums_;          // width x 4 channels of the box being filled
  std::uint32_t source_row_ = 0;
  std::uint32_t output_row_ = 0;
  std::uint32_t rows_in_box_ = 0;
};

}  // namespace zentomi
