#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "platform/file_descriptor.hpp"

namespace zentomi {

// A system call that failed: its name and the errno it left, read before anything else could
// change it.
struct SystemError {
  std::string_view call;  // "open", "fstat", "fsync", ...: always a literal
  int number = 0;
  // "open: No such file or directory (os error 2)"
  std::string text() const;
};

template <typename T>
using SystemResult = std::expected<T, SystemError>;

// Each call once, retried after a signal where the call can be interrupted, so that no caller
// checks -1 or errno itself. Descriptors are opened close-on-exec, whatever the flags say, so
// that a child started meanwhile by another thread does not inherit them.
SystemResult<FileDescriptor> open_file(const std::string& path, int flags, mode_t mode = 0);
// stat: symbolic links are followed.
SystemResult<struct stat> status_of(const std::string& path);
// lstat: a symbolic link is described itself.
SystemResult<struct stat> link_status_of(const std::string& path);
// fstatat of a name in an open folder; a symbolic link is described itself.
SystemResult<struct stat> link_status_of(int folder, const char* name);
// fstat.
SystemResult<struct stat> status_of(int fd);
// fsync: the file's data (or a directory's entries) on the storage device.
SystemResult<void> sync_file(int fd);
// syncfs: everything written to the file system holding the descriptor's file.
SystemResult<void> sync_file_system(int fd);
SystemResult<void> rename_path(const std::string& from, const std::string& to);
// readlink: where the symbolic link at the path leads, as it is written in the link.
SystemResult<std::string> read_link(const std::string& path);
// ioctl with a pointer argument.
SystemResult<void> control_device(int fd, unsigned long request, void* argument);

// A shared read-write mapping of a device or file, unmapped when it ends.
class SharedMapping {
 public:
  SharedMapping() = default;
  SharedMapping(SharedMapping&& other) noexcept;
  SharedMapping& operator=(SharedMapping&& other) noexcept;
  SharedMapping(const SharedMapping&) = delete;
  SharedMapping& operator=(const SharedMapping&) = delete;
  ~SharedMapping();

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  friend SystemResult<SharedMapping> map_shared(int fd, std::size_t length);
  SharedMapping(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  void reset();
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// mmap of the descriptor's first `length` bytes, readable and writable, shared. A length of
// zero fails with EINVAL, as mmap itself would.
SystemResult<SharedMapping> map_shared(int fd, std::size_t length);

}  // namespace zentomi
