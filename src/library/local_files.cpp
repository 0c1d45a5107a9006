#include "library/local_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_descriptor.hpp"

namespace zentomi {
namespace {

// Non-blocking so that a FIFO cannot hold the open; no link followed at the last component.
FileDescriptor open_card_file(const std::string& path, int flags) {
  return FileDescriptor(
      ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | flags));
}

std::optional<CardEntryKind> kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return CardEntryKind::Folder;
  if (S_ISREG(mode)) return CardEntryKind::File;
  return std::nullopt;
}

std::optional<CardEntryKind> kind_of_entry(int folder, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return CardEntryKind::Folder;
    case DT_REG:
      return CardEntryKind::File;
    case DT_UNKNOWN:
      break;
    default:
      return std::nullopt;
  }
  // Some file systems do not say in the listing; ask without following a link.
  struct stat status {};
  if (::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return kind_of(status.st_mode);
}

struct FolderCloser {
  void operator()(DIR* folder) const { ::closedir(folder); }
};

}  // namespace

std::optional<std::vector<CardEntry>> list_card_folder(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_DIRECTORY);
  if (fd < 0) return std::nullopt;
  DIR* opened = ::fdopendir(fd);
  if (opened == nullptr) {
    ::close(fd);
    return std::nullopt;
  }
  // The listing owns the descriptor from here on.
  const std::unique_ptr<DIR, FolderCloser> folder(opened);
  std::vector<CardEntry> entries;
  while (entries.size() < limit) {
    const dirent* entry = ::readdir(folder.get());
    if (entry == nullptr) break;
    if (entry->d_name[0] == '.') continue;
    if (const auto kind = kind_of_entry(fd, *entry)) entries.push_back({entry->d_name, *kind});
  }
  return entries;
}

std::expected<std::vector<std::uint8_t>, std::string> read_card_file(const std::string& path,
                                                                     std::size_t limit) {
  const FileDescriptor file = open_card_file(path, 0);
  struct stat status {};
  if (!file.is_open() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::unexpected("Cannot read the file " + path);
  }
  if (static_cast<std::uint64_t>(status.st_size) > limit) {
    return std::unexpected("The file " + path + " is larger than " + std::to_string(limit >> 20) +
                           " MiB");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (count > 0) {
      filled += static_cast<std::size_t>(count);
    } else if (count == 0) {
      break;  // shorter than it was a moment ago: what is there is read
    } else if (errno != EINTR) {
      return std::unexpected("Cannot read the file " + path + ": " + std::strerror(errno));
    }
  }
  bytes.resize(filled);
  return bytes;
}

std::vector<std::uint8_t> read_card_file_head(const std::string& path, std::size_t count) {
  const FileDescriptor file = open_card_file(path, 0);
  struct stat status {};
  if (!file.is_open() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  std::vector<std::uint8_t> bytes(count);
  ssize_t read = 0;
  do {
    read = ::pread(file.get(), bytes.data(), bytes.size(), 0);
  } while (read < 0 && errno == EINTR);
  bytes.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
  return bytes;
}

std::uint64_t card_entry_stamp(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return 0;
  std::uint64_t stamp = static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1'000'000'007u;
  stamp ^= static_cast<std::uint64_t>(status.st_mtim.tv_nsec);
  stamp = stamp * 31 + static_cast<std::uint64_t>(status.st_size);
  return stamp * 31 + static_cast<std::uint64_t>(status.st_ino);
}

std::optional<CardPath> resolve_card_path(const std::string& root, const std::string& relative) {
  std::string path = root;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find('/', start);
    path += '/';
    path.append(relative, start, end == std::string::npos ? std::string::npos : end - start);
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    const std::optional<CardEntryKind> kind = kind_of(status.st_mode);
    if (!kind) return std::nullopt;
    if (end == std::string::npos) return CardPath{path, "", *kind};
    if (*kind == CardEntryKind::File) return CardPath{path, relative.substr(end + 1), *kind};
    start = end + 1;
  }
}

}  // namespace zentomi
