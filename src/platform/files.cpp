#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>

namespace zentomi {
namespace {

struct FolderCloser {
  void operator()(DIR* folder) const { ::closedir(folder); }
};

}  // namespace

std::expected<void, int> read_file_in_pieces(const std::string& path,
                                             const std::function<void(std::string_view)>& take) {
  // Non-blocking so that opening a FIFO returns at once.
  const auto file = open_file(path, O_RDONLY | O_NONBLOCK);
  if (!file) return std::unexpected(file.error().number);
  const auto status = status_of(file->get());
  if (!status) return std::unexpected(status.error().number);
  if (S_ISDIR(status->st_mode)) return std::unexpected(EISDIR);
  if (!S_ISREG(status->st_mode)) return std::unexpected(EINVAL);

  std::array<char, 65536> buffer;
  for (;;) {
    const ssize_t count = ::read(file->get(), buffer.data(), buffer.size());
    if (count > 0) {
      take(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
    } else if (count == 0) {
      return {};
    } else if (errno != EINTR) {
      return std::unexpected(errno);
    }
  }
}

std::expected<std::string, int> read_whole_file(const std::string& path) {
  std::string content;
  const auto read =
      read_file_in_pieces(path, [&content](std::string_view piece) { content.append(piece); });
  if (!read) return std::unexpected(read.error());
  return content;
}

bool path_exists(const std::string& path) {
  return status_of(path).has_value();
}

SystemResult<void> visit_folder(const std::string& path, int open_flags,
                                const std::function<bool(int folder, const dirent& entry)>& visit) {
  auto file = open_file(path, O_RDONLY | O_NONBLOCK | O_DIRECTORY | open_flags);
  if (!file) return std::unexpected(file.error());
  DIR* opened = ::fdopendir(file->get());
  if (opened == nullptr) return std::unexpected(SystemError{"fdopendir", errno});
  // The listing owns the descriptor from here on.
  const std::unique_ptr<DIR, FolderCloser> folder(opened);
  const int descriptor = file->release();
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(folder.get());
    if (entry == nullptr) {
      if (errno != 0) return std::unexpected(SystemError{"readdir", errno});
      return {};
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!visit(descriptor, *entry)) return {};
  }
}

}  // namespace zentomi
