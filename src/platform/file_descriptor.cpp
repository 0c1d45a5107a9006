#include "platform/file_descriptor.hpp"

#include <unistd.h>

#include <utility>

namespace zentomi {

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  reset();
}

void FileDescriptor::reset() {
  // Linux releases the descriptor even when close reports an error, so it is never retried.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace zentomi
