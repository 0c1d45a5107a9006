#pragma once

// Builds Manga/ folders and ZIP archives for the local library's tests and benchmark, hostile ones
// included: archives are written by minizip, then their central directory is edited.

#include <zip.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zentomi::testing {

struct ZipMember {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

inline void write_bytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Stored when `level` is 0, deflated otherwise.
inline void write_zip(const std::filesystem::path& path, const std::vector<ZipMember>& members,
                      int level = 6) {
  std::filesystem::create_directories(path.parent_path());
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  for (const ZipMember& member : members) {
    zip_fileinfo info{};
    zipOpenNewFileInZip64(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                          level == 0 ? 0 : Z_DEFLATED, level, 0);
    zipWriteInFileInZip(zip, member.bytes.data(), static_cast<unsigned>(member.bytes.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

inline std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Changes a field of the first record with the signature "PK", `kind`, 0 (a local header: 6
// flags, 22 uncompressed size; a central directory record: 8 flags, 24 uncompressed size),
// little-endian, `width` bytes.
inline void patch_first_record(const std::filesystem::path& path, std::uint8_t kind,
                               std::size_t offset, std::uint32_t value, std::size_t width) {
  std::vector<std::uint8_t> bytes = read_bytes(path);
  const std::uint8_t signature[] = {'P', 'K', kind, static_cast<std::uint8_t>(kind + 1)};
  for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
    if (std::memcmp(&bytes[at], signature, 4) != 0) continue;
    for (std::size_t i = 0; i < width; ++i)
      bytes[at + offset + i] = (value >> (8 * i)) & 0xFF;
    break;
  }
  write_bytes(path, bytes);
}
inline constexpr std::uint8_t LOCAL_HEADER = 3;
inline constexpr std::uint8_t CENTRAL_RECORD = 1;

// Declares another inflated size for the first entry, in both places that say it.
inline void declare_size(const std::filesystem::path& path, std::uint32_t size) {
  patch_first_record(path, LOCAL_HEADER, 22, size, 4);
  patch_first_record(path, CENTRAL_RECORD, 24, size, 4);
}

}  // namespace zentomi::testing
