#include "storage/file_system.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/files.hpp"
#include "platform/os_error.hpp"
#include "platform/system_calls.hpp"

namespace zentomi {
namespace {

// Both read errno before building any text, so no allocation can disturb it.
std::unexpected<std::string> failure(std::string_view what, const std::string& path) {
  const int error_number = errno;
  return std::unexpected(std::string(what) + " " + path + ": " + os_error_text(error_number));
}
std::unexpected<std::string> failure(std::string_view what, int file) {
  const int error_number = errno;
  return std::unexpected(std::string(what) + " descriptor " + std::to_string(file) + ": " +
                         os_error_text(error_number));
}

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::unexpected<std::string> failure(std::string_view what, const std::string& path,
                                     const SystemError& error) {
  return std::unexpected(std::string(what) + " " + path + ": " + os_error_text(error.number));
}

// Opens the folder and waits for `sync` on it; `what` names that step in a failure.
std::expected<void, std::string> flush_folder(const std::string& path, std::string_view what,
                                              SystemResult<void> (*sync)(int)) {
  const auto folder = open_file(path, O_RDONLY | O_DIRECTORY);
  if (!folder) return failure("open", path, folder.error());
  if (auto synced = sync(folder->get()); !synced) return failure(what, path, synced.error());
  return {};
}

}  // namespace

std::optional<FileIdentity> PosixFileSystem::status(const std::string& path) {
  const auto found = status_of(path);
  if (!found) return std::nullopt;
  const struct stat& info = *found;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino),
                      static_cast<std::uint64_t>(info.st_size), nanoseconds(info.st_mtim),
                      nanoseconds(info.st_ctim)};
}

std::expected<void, std::string> PosixFileSystem::create_directories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) return std::unexpected("create " + path + ": " + os_error_text(error.value()));
  return {};
}

std::expected<std::string, std::string> PosixFileSystem::read_file(const std::string& path) {
  auto content = read_whole_file(path);
  if (!content) return std::unexpected("read " + path + ": " + os_error_text(content.error()));
  return std::move(*content);
}

std::expected<void, std::string> PosixFileSystem::read_pieces(
    const std::string& path, const std::function<void(std::string_view)>& take) {
  if (auto read = read_file_in_pieces(path, take); !read) {
    return std::unexpected("read " + path + ": " + os_error_text(read.error()));
  }
  return {};
}

std::expected<int, std::string> PosixFileSystem::create_file(const std::string& path) {
  auto file = open_file(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (!file) return failure("create", path, file.error());
  return file->release();
}

std::expected<void, std::string> PosixFileSystem::write(int file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(file, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return failure("write", file);
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return {};
}

std::expected<void, std::string> PosixFileSystem::flush(int file) {
  if (auto synced = sync_file(file); !synced) {
    return std::unexpected("fsync descriptor " + std::to_string(file) + ": " +
                           os_error_text(synced.error().number));
  }
  return {};
}

std::expected<void, std::string> PosixFileSystem::close(int file) {
  // Linux releases the descriptor even when close reports an error, so it is never retried.
  if (::close(file) != 0) return failure("close", file);
  return {};
}

std::expected<void, std::string> PosixFileSystem::rename(const std::string& from,
                                                         const std::string& to) {
  if (auto renamed = rename_path(from, to); !renamed) {
    return std::unexpected("rename " + from + " to " + to + ": " +
                           os_error_text(renamed.error().number));
  }
  return {};
}

std::expected<void, std::string> PosixFileSystem::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return failure("remove", path);
  return {};
}

std::expected<void, std::string> PosixFileSystem::flush_directory(const std::string& path) {
  return flush_folder(path, "fsync", sync_file);
}

std::expected<std::vector<std::string>, std::string> PosixFileSystem::list_names(
    const std::string& directory) {
  std::vector<std::string> names;
  const auto listed = visit_folder(directory, 0, [&names](int, const dirent& entry) {
    names.emplace_back(entry.d_name);
    return true;
  });
  if (!listed) return failure("list", directory, listed.error());
  return names;
}

std::expected<EntryKind, std::string> PosixFileSystem::entry_kind(const std::string& path) {
  const auto status = link_status_of(path);
  if (!status) {
    if (status.error().number == ENOENT || status.error().number == ENOTDIR) {
      return EntryKind::Missing;
    }
    return failure("read", path, status.error());
  }
  if (S_ISREG(status->st_mode)) return EntryKind::File;
  if (S_ISDIR(status->st_mode)) return EntryKind::Folder;
  if (S_ISLNK(status->st_mode)) return EntryKind::Link;
  return EntryKind::Other;
}

std::expected<void, std::string> PosixFileSystem::remove_tree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (error) return std::unexpected("remove " + path + ": " + os_error_text(error.value()));
  return {};
}

std::expected<void, std::string> PosixFileSystem::flush_file_system(const std::string& path) {
  return flush_folder(path, "flush", sync_file_system);
}

}  // namespace zentomi
