#include "platform/free_space.hpp"

#include <sys/statvfs.h>

namespace zentomi {

std::optional<std::uint64_t> free_bytes_at(const std::string& path) {
  struct statvfs status {};
  if (::statvfs(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.f_bavail) * static_cast<std::uint64_t>(status.f_frsize);
}

}  // namespace zentomi
