#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "draw/canvas.hpp"
#include "platform/file_descriptor.hpp"
#include "platform/system_calls.hpp"

namespace zentomi {

// The display: /dev/fb0 mapped into memory, or, when that is impossible or forced, a simulator
// that composes frames without showing them. Opening never fails.
class Framebuffer {
 public:
  struct Options {
    std::string device_path = "/dev/fb0";
    bool simulator_forced = false;
  };

  static Framebuffer open(int default_width, int default_height, const Options& options);
  static Framebuffer open(int default_width, int default_height) {
    return open(default_width, default_height, Options{});
  }

  Framebuffer(Framebuffer&& other) noexcept = default;
  Framebuffer& operator=(Framebuffer&&) = delete;
  Framebuffer(const Framebuffer&) = delete;
  Framebuffer& operator=(const Framebuffer&) = delete;
  ~Framebuffer() = default;

  // Copies the back buffer to the device; nothing in simulator mode.
  void present();

  Canvas& canvas() { return canvas_; }
  const Canvas& canvas() const { return canvas_; }
  int width() const { return canvas_.width(); }
  int height() const { return canvas_.height(); }
  std::size_t stride() const { return stride_; }
  bool is_simulator() const { return mapping_.data() == nullptr; }

 private:
  Framebuffer(int width, int height, std::size_t stride, FileDescriptor device,
              SharedMapping mapping);

  Canvas canvas_;
  std::size_t stride_;
  // The mapping goes before the descriptor: members end in reverse order.
  FileDescriptor device_;
  SharedMapping mapping_;
};

}  // namespace zentomi
