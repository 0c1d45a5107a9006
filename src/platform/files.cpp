#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/file_descriptor.hpp"

namespace zentomi {

std::expected<std::string, int> read_whole_file(const std::string& path) {
  // Non-blocking so that opening a FIFO returns at once; close-on-exec so that a child started
  // meanwhile by another thread does not inherit the descriptor.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.is_open()) return std::unexpected(errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return std::unexpected(errno);
  if (S_ISDIR(status.st_mode)) return std::unexpected(EISDIR);
  if (!S_ISREG(status.st_mode)) return std::unexpected(EINVAL);

  std::string content;
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
    if (count > 0) {
      content.append(buffer.data(), static_cast<std::size_t>(count));
    } else if (count == 0) {
      return content;
    } else if (errno != EINTR) {
      return std::unexpected(errno);
    }
  }
}

bool path_exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

}  // namespace zentomi
