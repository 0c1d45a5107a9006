#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentomi {

// What tells one version of a file from another without reading it. A save replaces the file by
// a rename, so even a rewrite of the same size within one clock tick changes the inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What an entry is, seen without following a symbolic link.
enum class EntryKind : std::uint8_t { Missing, File, Folder, Link, Other };

// The file operations beneath the stores, the cover cache and the updater, one call per step, so
// that tests can make any single step fail (or every step from one on, as a crash would). Errors
// carry the system's text.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Nothing when no entry can be found at the path (symbolic links are followed).
  virtual std::optional<FileIdentity> status(const std::string& path) = 0;
  // Creates the directory and its missing parents with permission bits 0777 less the umask.
  virtual std::expected<void, std::string> create_directories(const std::string& path) = 0;
  // Only a regular file is read: anything else (a folder, a FIFO) fails without blocking.
  virtual std::expected<std::string, std::string> read_file(const std::string& path) = 0;
  // Reads a regular file as read_file does, handing it to `take` piece by piece (64 KiB at most
  // each), so that a large file is never held whole.
  virtual std::expected<void, std::string> read_pieces(
      const std::string& path, const std::function<void(std::string_view)>& take) = 0;

  // Creates or truncates a file for writing (0666 less the umask) and gives its descriptor.
  virtual std::expected<int, std::string> create_file(const std::string& path) = 0;
  virtual std::expected<void, std::string> write(int file, std::string_view bytes) = 0;
  // Waits until the file's data is on the storage device.
  virtual std::expected<void, std::string> flush(int file) = 0;
  virtual std::expected<void, std::string> close(int file) = 0;
  virtual std::expected<void, std::string> rename(const std::string& from,
                                                  const std::string& to) = 0;
  virtual std::expected<void, std::string> remove(const std::string& path) = 0;
  // Waits until the directory's entries (renames, removals) are on the storage device.
  virtual std::expected<void, std::string> flush_directory(const std::string& path) = 0;
  // The names of the directory's entries, without "." and "..", in no particular order.
  virtual std::expected<std::vector<std::string>, std::string> list_names(
      const std::string& directory) = 0;
  // What is at the path itself (a symbolic link is not followed); Missing when nothing is.
  virtual std::expected<EntryKind, std::string> entry_kind(const std::string& path) = 0;
  // Removes the entry and, for a folder, everything below it; nothing at the path is no failure.
  virtual std::expected<void, std::string> remove_tree(const std::string& path) = 0;
  // Waits until everything written to the file system holding the path is on the storage device.
  virtual std::expected<void, std::string> flush_file_system(const std::string& path) = 0;
};

// For steps whose failure changes nothing that matters; says so at the call.
inline void ignore_failure(const std::expected<void, std::string>&) {}

// The real file system through POSIX calls.
class PosixFileSystem final : public FileSystem {
 public:
  std::optional<FileIdentity> status(const std::string& path) override;
  std::expected<void, std::string> create_directories(const std::string& path) override;
  std::expected<std::string, std::string> read_file(const std::string& path) override;
  std::expected<void, std::string> read_pieces(
      const std::string& path, const std::function<void(std::string_view)>& take) override;
  std::expected<int, std::string> create_file(const std::string& path) override;
  std::expected<void, std::string> write(int file, std::string_view bytes) override;
  std::expected<void, std::string> flush(int file) override;
  std::expected<void, std::string> close(int file) override;
  std::expected<void, std::string> rename(const std::string& from, const std::string& to) override;
  std::expected<void, std::string> remove(const std::string& path) override;
  std::expected<void, std::string> flush_directory(const std::string& path) override;
  std::expected<std::vector<std::string>, std::string> list_names(
      const std::string& directory) override;
  std::expected<EntryKind, std::string> entry_kind(const std::string& path) override;
  std::expected<void, std::string> remove_tree(const std::string& path) override;
  std::expected<void, std::string> flush_file_system(const std::string& path) override;
};

}  // namespace zentomi
