#include "platform/system_calls.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/os_error.hpp"

namespace zentomi {
namespace {

std::unexpected<SystemError> failed(std::string_view call) {
  return std::unexpected(SystemError{call, errno});
}

SystemResult<void> checked(std::string_view call, int result) {
  if (result != 0) return failed(call);
  return {};
}

}  // namespace

std::string SystemError::text() const {
  std::string words(call);
  words.append(": ").append(os_error_text(number));
  return words;
}

SystemResult<FileDescriptor> open_file(const std::string& path, int flags, mode_t mode) {
  for (;;) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd >= 0) return FileDescriptor(fd);
    if (errno != EINTR) return failed("open");
  }
}

SystemResult<struct stat> status_of(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return failed("stat");
  return status;
}

SystemResult<struct stat> link_status_of(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return failed("lstat");
  return status;
}

SystemResult<struct stat> link_status_of(int folder, const char* name) {
  struct stat status {};
  if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return failed("fstatat");
  return status;
}

SystemResult<struct stat> status_of(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return failed("fstat");
  return status;
}

SystemResult<void> sync_file(int fd) {
  return checked("fsync", ::fsync(fd));
}

SystemResult<void> sync_file_system(int fd) {
  return checked("syncfs", ::syncfs(fd));
}

SystemResult<void> rename_path(const std::string& from, const std::string& to) {
  return checked("rename", std::rename(from.c_str(), to.c_str()));
}

SystemResult<std::string> read_link(const std::string& path) {
  // readlink says nothing of a target cut short but that it filled the whole buffer.
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return failed("readlink");
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

SystemResult<void> control_device(int fd, unsigned long request, void* argument) {
  for (;;) {
    if (::ioctl(fd, request, argument) != -1) return {};
    if (errno != EINTR) return failed("ioctl");
  }
}

SharedMapping::SharedMapping(SharedMapping&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

SharedMapping& SharedMapping::operator=(SharedMapping&& other) noexcept {
  if (this != &other) {
    reset();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

SharedMapping::~SharedMapping() {
  reset();
}

void SharedMapping::reset() {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

SystemResult<SharedMapping> map_shared(int fd, std::size_t length) {
  if (length == 0) return std::unexpected(SystemError{"mmap", EINVAL});
  void* mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (mapping == MAP_FAILED) return failed("mmap");
  return SharedMapping(static_cast<std::uint8_t*>(mapping), length);
}

}  // namespace zentomi
