#include "packaging/zip_directory.hpp"

namespace zentomi::testing {
namespace {

constexpr std::uint32_t END_OF_DIRECTORY_SIGNATURE = 0x06054b50;
constexpr std::uint32_t DIRECTORY_ENTRY_SIGNATURE = 0x02014b50;
constexpr std::size_t END_OF_DIRECTORY_SIZE = 22;
constexpr std::size_t DIRECTORY_ENTRY_SIZE = 46;
constexpr std::size_t LONGEST_COMMENT = 0xFFFF;
constexpr unsigned UNIX_HOST = 3;

// Zip fields are little-endian; the caller has checked that they lie inside the data.
std::uint32_t little_endian(std::span<const unsigned char> data, std::size_t offset,
                            std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i > 0; --i)
    value = (value << 8) | data[offset + i - 1];
  return value;
}

}  // namespace

std::expected<std::vector<ZipEntry>, std::string> read_zip_directory(
    std::span<const unsigned char> data) {
  if (data.size() < END_OF_DIRECTORY_SIZE) return std::unexpected("too short for a zip archive");
  // The end record sits before a trailing comment of at most 65535 bytes; search backwards.
  const std::size_t last = data.size() - END_OF_DIRECTORY_SIZE;
  const std::size_t first = last > LONGEST_COMMENT ? last - LONGEST_COMMENT : 0;
  std::size_t end = last + 1;
  for (std::size_t at = last + 1; at-- > first;) {
    if (little_endian(data, at, 4) == END_OF_DIRECTORY_SIGNATURE) {
      end = at;
      break;
    }
  }
  if (end > last) return std::unexpected("no end of central directory record");

  const std::uint32_t count = little_endian(data, end + 10, 2);
  const std::uint32_t directory_size = little_endian(data, end + 12, 4);
  const std::uint32_t directory_offset = little_endian(data, end + 16, 4);
  if (std::uint64_t{directory_offset} + directory_size > end)
    return std::unexpected("central directory out of bounds");

  std::vector<ZipEntry> entries;
  std::size_t at = directory_offset;
  const std::size_t directory_end = directory_offset + directory_size;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (directory_end - at < DIRECTORY_ENTRY_SIZE ||
        little_endian(data, at, 4) != DIRECTORY_ENTRY_SIGNATURE)
      return std::unexpected("damaged central directory entry");
    const std::uint32_t made_by = little_endian(data, at + 4, 2);
    const std::size_t name_length = little_endian(data, at + 28, 2);
    const std::size_t extra_length = little_endian(data, at + 30, 2);
    const std::size_t comment_length = little_endian(data, at + 32, 2);
    const std::size_t entry_size =
        DIRECTORY_ENTRY_SIZE + name_length + extra_length + comment_length;
    if (directory_end - at < entry_size) return std::unexpected("damaged central directory entry");
    ZipEntry entry;
    entry.made_on_unix = (made_by >> 8) == UNIX_HOST;
    entry.mode = little_endian(data, at + 38, 4) >> 16;
    entry.uncompressed_size = little_endian(data, at + 24, 4);
    entry.name.assign(reinterpret_cast<const char*>(data.data() + at + DIRECTORY_ENTRY_SIZE),
                      name_length);
    entries.push_back(std::move(entry));
    at += entry_size;
  }
  return entries;
}

}  // namespace zentomi::testing
