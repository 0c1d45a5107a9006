#include "device/framebuffer_geometry.hpp"

#include <algorithm>
#include <cstring>

namespace zentomi {

FramebufferGeometry plan_geometry(const DeviceScreenInfo& info, int default_width,
                                  int default_height) {
  FramebufferGeometry geometry{default_width, default_height, 0, false};
  geometry.pan_to_origin = info.xoffset != 0 || info.yoffset != 0;
  // Resolutions beyond 16384 are not real displays; treat them as unreported.
  if (info.xres != 0 && info.yres != 0 && info.xres <= 16384 && info.yres <= 16384) {
    geometry.width = static_cast<int>(info.xres);
    geometry.height = static_cast<int>(info.yres);
  }
  geometry.stride =
      info.line_length != 0 ? info.line_length : static_cast<std::size_t>(geometry.width) * 4;
  return geometry;
}

void copy_frame(const std::uint32_t* source, int width, int height, std::uint8_t* destination,
                std::size_t destination_length, std::size_t stride) {
  if (width <= 0 || height <= 0 || destination == nullptr) return;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
  if (stride == row_bytes) {
    const std::size_t total = row_bytes * static_cast<std::size_t>(height);
    std::memcpy(destination, source, std::min(total, destination_length));
    return;
  }
  for (int row = 0; row < height; ++row) {
    const std::size_t offset = static_cast<std::size_t>(row) * stride;
    if (offset >= destination_length) return;
    const std::size_t count = std::min(row_bytes, destination_length - offset);
    std::memcpy(destination + offset, source + static_cast<std::size_t>(row) * width, count);
  }
}

}  // namespace zentomi
