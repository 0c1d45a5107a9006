#include "device/evdev_io.hpp"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/os_error.hpp"
#include "platform/system_calls.hpp"

namespace zentomi::input {

std::expected<FileDescriptor, std::string> open_event_node(const std::string& path) {
  // Non-blocking so the initial flush ends when the kernel's queue is empty; close-on-exec so
  // the child processes of the jobs do not inherit the devices.
  auto device = open_file(path, O_RDONLY | O_NONBLOCK);
  if (!device) return std::unexpected(os_error_text(device.error().number));
  return std::move(*device);
}

std::expected<int, std::string> poll_descriptors(std::span<pollfd> records, int timeout_ms) {
  const int ready = ::poll(records.data(), records.size(), timeout_ms);
  if (ready == -1) return std::unexpected(os_error_text(errno));
  return ready;
}

std::expected<std::size_t, std::string> read_some(int fd, std::span<std::uint8_t> buffer) {
  const ssize_t count = ::read(fd, buffer.data(), buffer.size());
  if (count == -1) return std::unexpected(os_error_text(errno));
  return static_cast<std::size_t>(count);
}

std::expected<FileDescriptor, std::string> open_event_counter() {
  const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd == -1) return std::unexpected(os_error_text(errno));
  return FileDescriptor(fd);
}

void raise_event(int fd) {
  const std::uint64_t one = 1;
  // Only a counter at its maximum refuses, and it is readable then anyway.
  [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

}  // namespace zentomi::input
