#include "device/framebuffer.hpp"

#include <fcntl.h>
#include <linux/fb.h>

#include <cstdio>
#include <utility>

#include "device/framebuffer_geometry.hpp"
#include "platform/log.hpp"
#include "platform/os_error.hpp"

namespace zentomi {
namespace {

void log_simulator_notice(const std::string& reason) {
  log_line("Framebuffer", "Notice: Could not open /dev/fb0 (" + reason +
                              "). Initializing Desktop Simulator mode.");
}

// The ioctls' failures are ignored on purpose: a failed request leaves its zeroed structure,
// which the geometry plan reads as "not reported".
DeviceScreenInfo query_device(int fd, fb_var_screeninfo& variable) {
  variable = fb_var_screeninfo{};
  fb_fix_screeninfo fixed{};
  [[maybe_unused]] const auto variable_read = control_device(fd, FBIOGET_VSCREENINFO, &variable);
  [[maybe_unused]] const auto fixed_read = control_device(fd, FBIOGET_FSCREENINFO, &fixed);
  return DeviceScreenInfo{variable.xres,    variable.yres,     variable.xoffset,
                          variable.yoffset, fixed.line_length, fixed.smem_len};
}

}  // namespace

Framebuffer::Framebuffer(int width, int height, std::size_t stride, FileDescriptor device,
                         SharedMapping mapping)
    : canvas_(width, height, palette::INITIAL_FILL),
      stride_(stride),
      device_(std::move(device)),
      mapping_(std::move(mapping)) {}

Framebuffer Framebuffer::open(int default_width, int default_height, const Options& options) {
  const auto simulator = [](int width, int height) {
    return Framebuffer(width, height, static_cast<std::size_t>(width) * 4, FileDescriptor(),
                       SharedMapping());
  };
  if (options.simulator_forced) {
    log_simulator_notice("Forced simulator mode");
    return simulator(default_width, default_height);
  }
  auto device = open_file(options.device_path, O_RDWR);
  if (!device) {
    log_simulator_notice(os_error_text(device.error().number));
    return simulator(default_width, default_height);
  }

  fb_var_screeninfo variable{};
  const DeviceScreenInfo info = query_device(device->get(), variable);
  const FramebufferGeometry geometry = plan_geometry(info, default_width, default_height);
  if (geometry.pan_to_origin) {
    variable.xoffset = 0;
    variable.yoffset = 0;
    [[maybe_unused]] const auto panned = control_device(device->get(), FBIOPAN_DISPLAY, &variable);
  }

  auto mapping = map_shared(device->get(), info.smem_len);
  if (!mapping) {
    log_line("Framebuffer", "Warning: mmap /dev/fb0 failed. Running in emulator mode.");
    return simulator(geometry.width, geometry.height);
  }
  log_line("Framebuffer", "Mapped /dev/fb0: " + std::to_string(geometry.width) + "x" +
                              std::to_string(geometry.height) +
                              " stride: " + std::to_string(geometry.stride) + " bytes");
  return Framebuffer(geometry.width, geometry.height, geometry.stride, std::move(*device),
                     std::move(*mapping));
}

void Framebuffer::present() {
  if (mapping_.data() == nullptr) return;
  copy_frame(canvas_.data(), canvas_.width(), canvas_.height(), mapping_.data(), mapping_.size(),
             stride_);
}

}  // namespace zentomi
