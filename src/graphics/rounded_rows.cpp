#include "graphics/rounded_rows.hpp"

#include <algorithm>
#include <cmath>

namespace zentomi {
namespace {

// The largest k with k * k <= value (value >= 0).
long long integer_square_root(long long value) {
  auto root = static_cast<long long>(std::sqrt(static_cast<double>(value)));
  while (root > 0 && root * root > value)
    --root;
  while ((root + 1) * (root + 1) <= value)
    ++root;
  return root;
}

}  // namespace

ColumnRun rounded_row_columns(int x, int y, int w, int h, int r, int py, int clip_width) {
  const long long left = x, right = static_cast<long long>(x) + w, radius = r;
  const long long top = y, bottom = static_cast<long long>(y) + h, row = py;
  if (row < top || row >= bottom || w <= 0) return {};

  // Distance of the row from the corner centres, as inside_rounded_rect measures it.
  long long dy = 0;
  if (row < top + radius) {
    dy = top + radius - row;
  } else if (row >= bottom - radius) {
    dy = row - (bottom - radius) + 1;
  }
  const long long room = radius * radius - dy * dy;
  if (room < 0) return {};
  const long long reach = integer_square_root(room);  // the largest dx still inside

  // The three column ranges the distance rule tells apart: left corner (dx = left + r - px),
  // straight middle (dx = 0) and right corner (dx = px - (right - r) + 1). Together the members
  // are one run.
  const long long left_end = std::min(left + radius, right);
  const long long middle_end = right - radius;
  const long long right_begin = std::max(left + radius, right - radius);
  long long begin = right;
  long long end = left;
  const auto include = [&](long long from, long long to) {
    from = std::max(from, left);
    to = std::min(to, right);
    if (from >= to) return;
    begin = std::min(begin, from);
    end = std::max(end, to);
  };
  include(left + radius - reach, left_end);
  include(left + radius, middle_end);
  include(right_begin, std::min(right, right - radius + reach));

  begin = std::max(begin, 0LL);
  end = std::min(end, static_cast<long long>(clip_width));
  if (begin >= end) return {};
  return {static_cast<int>(begin), static_cast<int>(end)};
}

}  // namespace zentomi
