#include "library/local_archive.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unzip.h>

#include <cstdio>
#include <memory>

#include "library/local_image_signature.hpp"
#include "platform/system_calls.hpp"

namespace zentomi {
namespace {

constexpr unsigned long ENCRYPTED_FLAG = 1;

// Opens like fopen, but only a regular file, never through a link at the last component and
// never waiting on a FIFO.
voidpf open_regular_file(voidpf, const void* filename, int) {
  auto file = open_file(static_cast<const char*>(filename), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
  if (!file) return nullptr;
  const auto status = status_of(file->get());
  if (!status || !S_ISREG(status->st_mode)) return nullptr;
  FILE* stream = ::fdopen(file->get(), "rb");
  // The stream owns the descriptor once it exists.
  if (stream != nullptr) file->release();
  return stream;
}

struct ArchiveCloser {
  void operator()(void* archive) const { unzClose(archive); }
};
using Archive = std::unique_ptr<void, ArchiveCloser>;

std::string damaged(const std::string& path) {
  return "The archive " + path + " is damaged or is not a ZIP archive";
}

std::expected<Archive, std::string> open_archive(const std::string& path) {
  zlib_filefunc64_def functions{};
  fill_fopen64_filefunc(&functions);
  functions.zopen64_file = open_regular_file;
  Archive archive(unzOpen2_64(path.c_str(), &functions));
  if (!archive) return std::unexpected(damaged(path));
  unz_global_info64 info{};
  if (unzGetGlobalInfo64(archive.get(), &info) != UNZ_OK) return std::unexpected(damaged(path));
  if (info.number_entry > MAX_ARCHIVE_ENTRIES) {
    return std::unexpected("The archive " + path + " holds more than " +
                           std::to_string(MAX_ARCHIVE_ENTRIES) + " entries");
  }
  // minizip reads the first entry's record on opening without saying it failed; a directory
  // broken there would otherwise look like an archive without the entry asked for.
  if (const int first = unzGoToFirstFile(archive.get());
      first != UNZ_OK && first != UNZ_END_OF_LIST_OF_FILE) {
    return std::unexpected(damaged(path));
  }
  return archive;
}

struct EntryInfo {
  unz_file_info64 info{};
  std::string name;
};

std::expected<EntryInfo, std::string> current_entry(void* archive, const std::string& path) {
  EntryInfo entry;
  char name[1024];
  if (unzGetCurrentFileInfo64(archive, &entry.info, name, sizeof name, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    return std::unexpected(damaged(path));
  }
  entry.name = name;
  return entry;
}

std::string encrypted(const std::string& path) {
  return "The archive " + path + " holds encrypted entries, which cannot be read";
}

// Ends reading the current entry; its checksum is checked when all of it was read.
struct EntryCloser {
  void operator()(void* archive) const { unzCloseCurrentFile(archive); }
};

}  // namespace

std::expected<std::vector<std::string>, std::string> list_archive_images(const std::string& path) {
  auto archive = open_archive(path);
  if (!archive) return std::unexpected(std::move(archive.error()));
  std::vector<std::string> images;
  // The entry count read above may lie; the walk stops at the bound whatever it said.
  std::size_t seen = 0;
  for (int step = unzGoToFirstFile(archive->get()); step != UNZ_END_OF_LIST_OF_FILE;
       step = unzGoToNextFile(archive->get())) {
    if (step != UNZ_OK) return std::unexpected(damaged(path));
    if (++seen > MAX_ARCHIVE_ENTRIES) {
      return std::unexpected("The archive " + path + " holds more than " +
                             std::to_string(MAX_ARCHIVE_ENTRIES) + " entries");
    }
    auto entry = current_entry(archive->get(), path);
    if (!entry) return std::unexpected(std::move(entry.error()));
    if (entry->info.flag & ENCRYPTED_FLAG) return std::unexpected(encrypted(path));
    if (entry->name.empty() || entry->name.back() == '/') continue;
    if (unzOpenCurrentFile(archive->get()) != UNZ_OK) continue;
    const std::unique_ptr<void, EntryCloser> reading(archive->get());
    std::uint8_t head[IMAGE_SIGNATURE_BYTES];
    const int read = unzReadCurrentFile(archive->get(), head, sizeof head);
    if (read > 0 && is_image_signature({head, static_cast<std::size_t>(read)})) {
      images.push_back(std::move(entry->name));
    }
  }
  return images;
}

std::expected<std::vector<std::uint8_t>, std::string> read_archive_entry(const std::string& path,
                                                                         const std::string& name,
                                                                         std::size_t limit) {
  auto archive = open_archive(path);
  if (!archive) return std::unexpected(std::move(archive.error()));
  const std::string page = "The page " + name + " of " + path;
  if (const int found = unzLocateFile(archive->get(), name.c_str(), 1); found != UNZ_OK) {
    if (found == UNZ_END_OF_LIST_OF_FILE) return std::unexpected(page + " is missing");
    return std::unexpected(damaged(path));
  }
  auto entry = current_entry(archive->get(), path);
  if (!entry) return std::unexpected(std::move(entry.error()));
  if (entry->info.flag & ENCRYPTED_FLAG) return std::unexpected(page + " is encrypted");
  if (entry->info.uncompressed_size > limit) {
    return std::unexpected(page + " is larger than " + std::to_string(limit >> 20) + " MiB");
  }
  if (unzOpenCurrentFile(archive->get()) != UNZ_OK) {
    return std::unexpected(page + " is compressed in a way that cannot be read");
  }
  // Never more than the declared size is inflated; data that would inflate further fails the
  // checksum when the entry is closed.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(entry->info.uncompressed_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const unsigned chunk =
        static_cast<unsigned>(std::min<std::size_t>(bytes.size() - filled, 1 << 20));
    const int read = unzReadCurrentFile(archive->get(), bytes.data() + filled, chunk);
    if (read <= 0) break;
    filled += static_cast<std::size_t>(read);
  }
  const int closed = unzCloseCurrentFile(archive->get());
  if (filled != bytes.size() || closed != UNZ_OK) {
    return std::unexpected(page + " is damaged: it does not inflate to the size it declares");
  }
  return bytes;
}

}  // namespace zentomi
