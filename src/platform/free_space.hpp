#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zentomi {

// The bytes an unprivileged program may still write on the file system that holds the path
// (statvfs), or nothing when it cannot be asked.
std::optional<std::uint64_t> free_bytes_at(const std::string& path);

}  // namespace zentomi
