#pragma once

#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

namespace zentomi::testing {

// One member as the archive's central directory lists it.
struct ZipEntry {
  std::string name;
  bool made_on_unix = false;  // only then does `mode` hold permission bits
  std::uint32_t mode = 0;     // st_mode: file type and permissions
  std::uint32_t uncompressed_size = 0;
};

// Lists a zip archive's members from its central directory, in archive order.
std::expected<std::vector<ZipEntry>, std::string> read_zip_directory(
    std::span<const unsigned char> data);

}  // namespace zentomi::testing
