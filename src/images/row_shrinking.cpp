#include "images/row_shrinking.hpp"

#include <algorithm>

namespace zentomi {

RowShrinker::RowShrinker(std::uint32_t source_width, std::uint32_t source_height,
                         std::uint32_t width, std::uint32_t height, std::uint8_t* out)
    : source_height_(source_height),
      width_(width),
      height_(height),
      out_(out),
      column_begin_(std::size_t{width} + 1),
      sums_(std::size_t{width} * 4) {
  for (std::uint32_t j = 0; j <= width; ++j)
    column_begin_[j] =
        static_cast<std::uint32_t>(std::uint64_t{j} * source_width / std::max(width, 1u));
}

std::uint32_t RowShrinker::row_end(std::uint32_t output_row) const {
  return static_cast<std::uint32_t>(std::uint64_t{output_row + 1} * source_height_ /
                                    std::max(height_, 1u));
}

void RowShrinker::add_row(const std::uint8_t* row) {
  if (output_row_ >= height_) return;
  for (std::uint32_t j = 0; j < width_; ++j) {
    std::uint32_t* sum = sums_.data() + std::size_t{j} * 4;
    for (std::uint32_t x = column_begin_[j]; x < column_begin_[j + 1]; ++x) {
      const std::uint8_t* pixel = row + std::size_t{x} * 4;
      sum[0] += pixel[0];
      sum[1] += pixel[1];
      sum[2] += pixel[2];
      sum[3] += pixel[3];
    }
  }
  ++rows_in_box_;
  if (++source_row_ < row_end(output_row_)) return;
  // The box is complete: its means are the output row, in the output's channel order.
  std::uint8_t* out = out_ + std::size_t{output_row_} * width_ * 4;
  for (std::uint32_t j = 0; j < width_; ++j) {
    const std::uint32_t count = rows_in_box_ * (column_begin_[j + 1] - column_begin_[j]);
    std::uint32_t* sum = sums_.data() + std::size_t{j} * 4;
    for (int channel = 0; channel < 4; ++channel) {
      out[std::size_t{j} * 4 + channel] =
          static_cast<std::uint8_t>((sum[channel] + count / 2) / count);
      sum[channel] = 0;
    }
  }
  rows_in_box_ = 0;
  ++output_row_;
}

}  // namespace zentomi
