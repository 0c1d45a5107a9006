#include "images/thumbnail_files.hpp"

#include <cstdint>
#include <cstdio>

namespace zentomi {

std::string thumbnail_file_name(std::string_view url) {
  std::uint64_t hash = 5381;
  for (const char byte : url)
    hash = hash * 33 + static_cast<unsigned char>(byte);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.jpg", static_cast<unsigned long long>(hash));
  return name;
}

std::string choose_thumbnail_directory(FileSystem& files, std::string_view preferred,
                                       std::string_view fallback) {
  std::string chosen(preferred);
  if (!files.status(chosen) && !files.create_directories(chosen)) {
    chosen = fallback;
    ignore_failure(files.create_directories(chosen));
  }
  return chosen;
}

}  // namespace zentomi
