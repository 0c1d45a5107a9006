#include "images/thumbnail_files.hpp"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/files.hpp"

namespace zentomi {
namespace {

bool create_with_parents(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return !error;
}

}  // namespace

std::string thumbnail_file_name(std::string_view url) {
  std::uint64_t hash = 5381;
  for (const char byte : url)
    hash = hash * 33 + static_cast<unsigned char>(byte);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.jpg", static_cast<unsigned long long>(hash));
  return name;
}

std::string choose_thumbnail_directory(std::string_view preferred, std::string_view fallback) {
  std::string chosen(preferred);
  if (!path_exists(chosen) && !create_with_parents(chosen)) {
    chosen = fallback;
    create_with_parents(chosen);
  }
  create_with_parents(chosen);
  return chosen;
}

}  // namespace zentomi
