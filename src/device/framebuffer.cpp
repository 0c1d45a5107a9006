#include "device/framebuffer.hpp"

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
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

// The ioctls' results are ignored on purpose: a failed request leaves its zeroed structure,
// which the geometry plan reads as "not reported".
DeviceScreenInfo query_device(int fd, fb_var_screeninfo& variable) {
  variable = fb_var_screeninfo{};
  fb_fix_screeninfo fixed{};
  (void)ioctl(fd, FBIOGET_VSCREENINFO, &variable);
  (void)ioctl(fd, FBIOGET_FSCREENINFO, &fixed);
  return DeviceScreenInfo{variable.xres,    variable.yres,     variable.xoffset,
                          variable.yoffset, fixed.line_length, fixed.smem_len};
}

}  // namespace

Framebuffer::Framebuffer(int width, int height, std::size_t stride, int fd, std::uint8_t* mapping,
                         std::size_t mapping_length)
    : canvas_(width, height, palette::INITIAL_FILL),
      stride_(stride),
      fd_(fd),
      mapping_(mapping),
      mapping_length_(mapping_length) {}

Framebuffer::Framebuffer(Framebuffer&& other) noexcept
    : canvas_(std::move(other.canvas_)),
      stride_(other.stride_),
      fd_(std::exchange(other.fd_, -1)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mapping_length_(std::exchange(other.mapping_length_, 0)) {}

Framebuffer::~Framebuffer() {
  if (mapping_ != nullptr && mapping_length_ != 0) munmap(mapping_, mapping_length_);
  if (fd_ != -1) close(fd_);
}

Framebuffer Framebuffer::open(int default_width, int default_height, const Options& options) {
  const auto simulator = [](int width, int height) {
    return Framebuffer(width, height, static_cast<std::size_t>(width) * 4, -1, nullptr, 0);
  };
  if (options.simulator_forced) {
    log_simulator_notice("Forced simulator mode");
    return simulator(default_width, default_height);
  }
  const int fd = ::open(options.device_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd == -1) {
    log_simulator_notice(os_error_text(errno));
    return simulator(default_width, default_height);
  }

  fb_var_screeninfo variable{};
  const DeviceScreenInfo info = query_device(fd, variable);
  const FramebufferGeometry geometry = plan_geometry(info, default_width, default_height);
  if (geometry.pan_to_origin) {
    variable.xoffset = 0;
    variable.yoffset = 0;
    (void)ioctl(fd, FBIOPAN_DISPLAY, &variable);
  }

  void* mapping = info.smem_len == 0
                      ? MAP_FAILED
                      : mmap(nullptr, info.smem_len, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapping == MAP_FAILED || mapping == nullptr) {
    log_line("Framebuffer", "Warning: mmap /dev/fb0 failed. Running in emulator mode.");
    close(fd);
    return simulator(geometry.width, geometry.height);
  }
  log_line("Framebuffer", "Mapped /dev/fb0: " + std::to_string(geometry.width) + "x" +
                              std::to_string(geometry.height) +
                              " stride: " + std::to_string(geometry.stride) + " bytes");
  return Framebuffer(geometry.width, geometry.height, geometry.stride, fd,
                     static_cast<std::uint8_t*>(mapping), info.smem_len);
}

void Framebuffer::present() {
  if (mapping_ == nullptr) return;
  copy_frame(canvas_.data(), canvas_.width(), canvas_.height(), mapping_, mapping_length_, stride_);
}

}  // namespace zentomi
