#pragma once

#include <cstddef>
#include <cstdint>

namespace zentomi {

// The few fields of the kernel's fb_var_screeninfo / fb_fix_screeninfo that the display uses.
// A request that failed leaves them zero.
struct DeviceScreenInfo {
  std::uint32_t xres = 0;
  std::uint32_t yres = 0;
  std::uint32_t xoffset = 0;
  std::uint32_t yoffset = 0;
  std::uint32_t line_length = 0;
  std::uint32_t smem_len = 0;
};

struct FramebufferGeometry {
  int width = 0;
  int height = 0;
  std::size_t stride = 0;  // bytes per device row
  bool pan_to_origin = false;
};

// What the device reported, with the defaults standing in for anything it left at zero.
FramebufferGeometry plan_geometry(const DeviceScreenInfo& info, int default_width,
                                  int default_height);

// Copies a width × height frame of 32-bit pixels to device memory of `destination_length` bytes
// whose rows are `stride` bytes apart. Padding bytes past width × 4 in a row are left alone, and
// nothing is ever written past the end of the mapping, even when the device reports less memory
// than its rows need.
void copy_frame(const std::uint32_t* source, int width, int height, std::uint8_t* destination,
                std::size_t destination_length, std::size_t stride);

}  // namespace zentomi
