#include "library/local_files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.hpp"
#include "platform/system_calls.hpp"

namespace zentomi {
namespace {

struct CardFile {
  FileDescriptor descriptor;
  std::uint64_t size = 0;
};

// Non-blocking so that a FIFO cannot hold the open; no link followed at the last component.
// Nothing when it is not a regular file that can be opened.
std::optional<CardFile> open_card_file(const std::string& path) {
  auto file = open_file(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
  if (!file) return std::nullopt;
  const auto status = status_of(file->get());
  if (!status || !S_ISREG(status->st_mode)) return std::nullopt;
  return CardFile{std::move(*file), static_cast<std::uint64_t>(status->st_size)};
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
  const auto status = link_status_of(folder, entry.d_name);
  if (!status) return std::nullopt;
  return kind_of(status->st_mode);
}

}  // namespace

std::optional<std::vector<CardEntry>> list_card_folder(const std::string& path, std::size_t limit) {
  std::vector<CardEntry> entries;
  const auto listed =
      visit_folder(path, O_NOFOLLOW, [&entries, limit](int folder, const dirent& entry) {
        if (entries.size() >= limit) return false;
        if (entry.d_name[0] == '.') return true;
        if (const auto kind = kind_of_entry(folder, entry)) {
          entries.push_back({entry.d_name, *kind});
        }
        return true;
      });
  // A listing that fails part-way keeps what it read.
  if (!listed && listed.error().call != "readdir") return std::nullopt;
  return entries;
}

std::expected<std::vector<std::uint8_t>, std::string> read_card_file(const std::string& path,
                                                                     std::size_t limit) {
  const std::optional<CardFile> file = open_card_file(path);
  if (!file) return std::unexpected("Cannot read the file " + path);
  if (file->size > limit) {
    return std::unexpected("The file " + path + " is larger than " + std::to_string(limit >> 20) +
                           " MiB");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t count =
        ::read(file->descriptor.get(), bytes.data() + filled, bytes.size() - filled);
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
  const std::optional<CardFile> file = open_card_file(path);
  if (!file) return {};
  std::vector<std::uint8_t> bytes(count);
  ssize_t read = 0;
  do {
    read = ::pread(file->descriptor.get(), bytes.data(), bytes.size(), 0);
  } while (read < 0 && errno == EINTR);
  bytes.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
  return bytes;
}

std::uint64_t card_entry_stamp(const std::string& path) {
  const auto status = link_status_of(path);
  if (!status) return 0;
  std::uint64_t stamp = static_cast<std::uint64_t>(status->st_mtim.tv_sec) * 1'000'000'007u;
  stamp ^= static_cast<std::uint64_t>(status->st_mtim.tv_nsec);
  stamp = stamp * 31 + static_cast<std::uint64_t>(status->st_size);
  return stamp * 31 + static_cast<std::uint64_t>(status->st_ino);
}

std::optional<CardPath> resolve_card_path(const std::string& root, const std::string& relative) {
  std::string path = root;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = relative.find('/', start);
    path += '/';
    path.append(relative, start, end == std::string::npos ? std::string::npos : end - start);
    const auto status = link_status_of(path);
    if (!status) return std::nullopt;
    const std::optional<CardEntryKind> kind = kind_of(status->st_mode);
    if (!kind) return std::nullopt;
    if (end == std::string::npos) return CardPath{path, "", *kind};
    if (*kind == CardEntryKind::File) return CardPath{path, relative.substr(end + 1), *kind};
    start = end + 1;
  }
}

}  // namespace zentomi
