#pragma once

namespace zentomi {

// A run of columns [begin, end) of one row; empty when begin >= end.
struct ColumnRun {
  int begin = 0;
  int end = 0;
};

// The columns of row py that belong to the rounded rectangle (x, y, w, h, r), by exactly the rule
// of inside_rounded_rect, clipped to [0, clip_width). The members of a row are always one run,
// so a drawing loop can test the shape once per row instead of once per pixel.
ColumnRun rounded_row_columns(int x, int y, int w, int h, int r, int py, int clip_width);

}  // namespace zentomi
