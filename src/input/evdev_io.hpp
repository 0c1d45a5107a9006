#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>

namespace zentomi::input {

// Owns one open descriptor and closes it when it ends.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// The thin layer over the system calls the input thread makes; errors are the system's texts.
std::expected<FileDescriptor, std::string> open_event_node(const std::string& path);
// How many of the records have events to report; 0 on time-out.
std::expected<int, std::string> poll_descriptors(std::span<pollfd> records, int timeout_ms);
// How many bytes one read delivered; 0 at end of file.
std::expected<std::size_t, std::string> read_some(int fd, std::span<std::uint8_t> buffer);

}  // namespace zentomi::input
