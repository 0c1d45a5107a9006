#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/system_calls.hpp"

namespace zentomi {

std::expected<std::string, int> read_whole_file(const std::string& path) {
  // Non-blocking so that opening a FIFO returns at once; close-on-exec so that a child started
  // meanwhile by another thread does not inherit the descriptor.
  const auto file = open_file(path, O_RDONLY | O_NONBLOCK);
  if (!file) return std::unexpected(file.error().number);
  const auto status = status_of(file->get());
  if (!status) return std::unexpected(status.error().number);
  if (S_ISDIR(status->st_mode)) return std::unexpected(EISDIR);
  if (!S_ISREG(status->st_mode)) return std::unexpected(EINVAL);

  std::string content;
  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t count = ::read(file->get(), buffer.data(), buffer.size());
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
  return status_of(path).has_value();
}

}  // namespace zentomi
